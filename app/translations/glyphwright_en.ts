<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The window's messages whose words follow a number: English's one and many forms. -->
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>PackagesDialog</name>
    <message numerus="yes">
        <source>Wrote %n file(s) to %1.</source>
        <translation>
            <numerusform>Wrote %n file to %1.</numerusform>
            <numerusform>Wrote %n files to %1.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) could not be written:</source>
        <translation>
            <numerusform>%n file could not be written:</numerusform>
            <numerusform>%n files could not be written:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) could not be written: %1.</source>
        <translation>
            <numerusform>%n file could not be written: %1.</numerusform>
            <numerusform>%n files could not be written: %1.</numerusform>
        </translation>
    </message>
</context>
</TS>
