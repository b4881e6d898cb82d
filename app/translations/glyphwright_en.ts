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
    <message numerus="yes">
        <source>%n error(s)</source>
        <translation>
            <numerusform>%n error</numerusform>
            <numerusform>%n errors</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n warning(s)</source>
        <translation>
            <numerusform>%n warning</numerusform>
            <numerusform>%n warnings</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message numerus="yes">
        <source>%n change(s) could not be made, so nothing in %1 was changed.</source>
        <translation>
            <numerusform>%n change could not be made, so nothing in %1 was changed.</numerusform>
            <numerusform>%n changes could not be made, so nothing in %1 was changed.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) were changed after the apply, so nothing was put back (the list is behind Show Details).</source>
        <translation>
            <numerusform>%n file was changed after the apply, so nothing was put back (the list is behind Show Details).</numerusform>
            <numerusform>%n files were changed after the apply, so nothing was put back (the list is behind Show Details).</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>The changes could not all be made, and %n file(s) could not be put back as they were; the old files are kept in %1</source>
        <translation>
            <numerusform>The changes could not all be made, and %n file could not be put back as it was; the old files are kept in %1</numerusform>
            <numerusform>The changes could not all be made, and %n files could not be put back as they were; the old files are kept in %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n part(s) were left as they are (the list is behind Show Details).</source>
        <translation>
            <numerusform>%n part was left as it is (the list is behind Show Details).</numerusform>
            <numerusform>%n parts were left as they are (the list is behind Show Details).</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Nothing was put back: %n file(s) could not be; the backup is kept, to undo again.</source>
        <translation>
            <numerusform>Nothing was put back: %n file could not be; the backup is kept, to undo again.</numerusform>
            <numerusform>Nothing was put back: %n files could not be; the backup is kept, to undo again.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) were put back, but not all: the backup is kept, to undo again.</source>
        <translation>
            <numerusform>%n file was put back, but not all: the backup is kept, to undo again.</numerusform>
            <numerusform>%n files were put back, but not all: the backup is kept, to undo again.</numerusform>
        </translation>
    </message>
</context>
</TS>
