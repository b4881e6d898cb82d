// Icons put straight into app projects laid out as their frameworks' templates lay them out: the
// icons where each framework keeps them, at their sizes, the manifests and catalogs consistent
// (aapt packages the Android resources), nothing else touched, everything replaced kept.
#include "tests/support/testsupport.h"

#include "cli/commands.h"
#include "packages/apply/appproject.h"
#include "packages/containers.h"
#include "resources/initresources.h"

#include <QtGui>
#include <QtTest>

using namespace TestSupport;

namespace {

// A file of a template tree: a placeholder icon (a grey square of `size`, or an ICO or ICNS of
// it) or text.
struct TreeFile
{
    const char* path;
    int size;         // an icon's side; 0 for text
    const char* text; // the text, or for an icon its container: "ico", "icns", "webp" or "png"
    int height = 0;   // an icon's height where it is not square
};

QByteArray placeholder(int size, const QString& kind, int height = 0)
{
    QImage grey(size, height ? height : size, QImage::Format_ARGB32);
    grey.fill(QColor(0x80, 0x80, 0x80));
    if (kind == QLatin1String("ico"))
        return Packages::icoFile({grey});
    if (kind == QLatin1String("icns"))
        return Packages::icnsFile({{"ic07", grey.scaled(128, 128)}});
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    grey.save(&buffer, kind == QLatin1String("webp") ? "WEBP" : "PNG");
    return bytes;
}

const char* const androidRes = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

// Flutter's "flutter create" app: Android, iOS, macOS, web and Windows.
const TreeFile flutterTree[] = {
    {"pubspec.yaml", 0,
     "name: tidewater\ndescription: \"A new Flutter project.\"\nenvironment:\n  sdk: ^3.5.0\n"
     "dependencies:\n  flutter:\n    sdk: flutter\nflutter:\n  uses-material-design: true\n"},
    {"lib/main.dart", 0, "void main() {}\n"},
    {"android/settings.gradle.kts", 0, "include(\":app\")\n"},
    {"android/app/build.gradle.kts", 0, "plugins {\n    id(\"com.android.application\")\n}\n"},
    {"android/app/src/main/AndroidManifest.xml", 0,
     "<manifest xmlns:android=\"http://schemas.android.com/apk/res/android\" "
     "package=\"com.example.tidewater\">\n"
     "    <application\n"
     "        android:label=\"tidewater\"\n"
     "        android:name=\"${applicationName}\"\n"
     "        android:icon=\"@mipmap/ic_launcher\">\n"
     "        <activity\n"
     "            android:name=\".MainActivity\"\n"
     "            android:exported=\"true\"\n"
     "            android:theme=\"@style/LaunchTheme\">\n"
     "            <intent-filter>\n"
     "                <action android:name=\"android.intent.action.MAIN\"/>\n"
     "                <category android:name=\"android.intent.category.LAUNCHER\"/>\n"
     "            </intent-filter>\n"
     "        </activity>\n"
     "        <meta-data android:name=\"flutterEmbedding\" android:value=\"2\" />\n"
     "    </application>\n"
     "</manifest>\n"},
    {"android/app/src/main/res/values/styles.xml", 0,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resources>\n    <style name=\"LaunchTheme\" "
     "parent=\"@android:style/Theme.Light.NoTitleBar\">\n        <item "
     "name=\"android:windowBackground\">@drawable/launch_background</item>\n    </style>\n</resources>\n"},
    {"android/app/src/main/res/drawable/launch_background.xml", 0,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<layer-list "
     "xmlns:android=\"http://schemas.android.com/apk/res/android\">\n    <item "
     "android:drawable=\"@android:color/white\" />\n</layer-list>\n"},
    {"android/app/src/main/res/mipmap-mdpi/ic_launcher.png", 48, "png"},
    {"android/app/src/main/res/mipmap-hdpi/ic_launcher.png", 72, "png"},
    {"android/app/src/main/res/mipmap-xhdpi/ic_launcher.png", 96, "png"},
    {"android/app/src/main/res/mipmap-xxhdpi/ic_launcher.png", 144, "png"},
    {"android/app/src/main/res/mipmap-xxxhdpi/ic_launcher.png", 192, "png"},
    {"ios/Runner.xcodeproj/project.pbxproj", 0, "// !$*UTF8*$!\n{\n}\n"},
    {"ios/Runner/Info.plist", 0,
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict/></plist>\n"},
    {"ios/Runner/Assets.xcassets/AppIcon.appiconset/Contents.json", 0,
     "{\n  \"images\" : [\n"
     "    {\n      \"size\" : \"20x20\",\n      \"idiom\" : \"iphone\",\n      \"filename\" : "
     "\"Icon-App-20x20@2x.png\",\n      \"scale\" : \"2x\"\n    },\n"
     "    {\n      \"size\" : \"60x60\",\n      \"idiom\" : \"iphone\",\n      \"filename\" : "
     "\"Icon-App-60x60@3x.png\",\n      \"scale\" : \"3x\"\n    },\n"
     "    {\n      \"size\" : \"1024x1024\",\n      \"idiom\" : \"ios-marketing\",\n      \"filename\" : "
     "\"Icon-App-1024x1024@1x.png\",\n      \"scale\" : \"1x\"\n    }\n"
     "  ],\n  \"info\" : {\n    \"version\" : 1,\n    \"author\" : \"xcode\"\n  }\n}\n"},
    {"ios/Runner/Assets.xcassets/AppIcon.appiconset/Icon-App-20x20@2x.png", 40, "png"},
    {"ios/Runner/Assets.xcassets/AppIcon.appiconset/Icon-App-60x60@3x.png", 180, "png"},
    {"ios/Runner/Assets.xcassets/AppIcon.appiconset/Icon-App-1024x1024@1x.png", 1024, "png"},
    {"ios/Runner/Assets.xcassets/LaunchImage.imageset/LaunchImage.png", 1, "png"},
    {"ios/Runner/Assets.xcassets/LaunchImage.imageset/Contents.json", 0,
     "{\n  \"images\" : [ { \"idiom\" : \"universal\", \"filename\" : \"LaunchImage.png\", \"scale\" : "
     "\"1x\" } ],\n"
     "  \"info\" : { \"version\" : 1, \"author\" : \"xcode\" }\n}\n"},
    {"macos/Runner.xcodeproj/project.pbxproj", 0, "// !$*UTF8*$!\n{\n}\n"},
    {"macos/Runner/Assets.xcassets/AppIcon.appiconset/Contents.json", 0,
     "{\n  \"info\": { \"version\": 1, \"author\": \"xcode\" },\n  \"images\": [\n"
     "    { \"size\": \"16x16\", \"idiom\": \"mac\", \"filename\": \"app_icon_16.png\", \"scale\": \"1x\" "
     "},\n"
     "    { \"size\": \"16x16\", \"idiom\": \"mac\", \"filename\": \"app_icon_32.png\", \"scale\": \"2x\" "
     "},\n"
     "    { \"size\": \"512x512\", \"idiom\": \"mac\", \"filename\": \"app_icon_1024.png\", \"scale\": "
     "\"2x\" }\n"
     "  ]\n}\n"},
    {"macos/Runner/Assets.xcassets/AppIcon.appiconset/app_icon_16.png", 16, "png"},
    {"macos/Runner/Assets.xcassets/AppIcon.appiconset/app_icon_32.png", 32, "png"},
    {"macos/Runner/Assets.xcassets/AppIcon.appiconset/app_icon_1024.png", 1024, "png"},
    {"web/index.html", 0,
     "<!DOCTYPE html>\n<html>\n<head>\n  <link rel=\"icon\" type=\"image/png\" href=\"favicon.png\"/>\n"
     "  <link rel=\"manifest\" href=\"manifest.json\">\n</head>\n<body></body>\n</html>\n"},
    {"web/favicon.png", 16, "png"},
    {"web/icons/Icon-192.png", 192, "png"},
    {"web/icons/Icon-512.png", 512, "png"},
    {"web/icons/Icon-maskable-192.png", 192, "png"},
    {"web/icons/Icon-maskable-512.png", 512, "png"},
    {"web/manifest.json", 0,
     "{\n    \"name\": \"tidewater\",\n    \"short_name\": \"tidewater\",\n    \"start_url\": \".\",\n"
     "    \"display\": \"standalone\",\n    \"background_color\": \"#0175C2\",\n    \"theme_color\": "
     "\"#0175C2\",\n"
     "    \"description\": \"A new Flutter project.\",\n    \"orientation\": \"portrait-primary\",\n"
     "    \"prefer_related_applications\": false,\n    \"icons\": [\n"
     "        {\n            \"src\": \"icons/Icon-192.png\",\n            \"sizes\": \"192x192\",\n"
     "            \"type\": \"image/png\"\n        },\n"
     "        {\n            \"src\": \"icons/Icon-512.png\",\n            \"sizes\": \"512x512\",\n"
     "            \"type\": \"image/png\"\n        },\n"
     "        {\n            \"src\": \"icons/Icon-maskable-192.png\",\n            \"sizes\": \"192x192\",\n"
     "            \"type\": \"image/png\",\n            \"purpose\": \"maskable\"\n        },\n"
     "        {\n            \"src\": \"icons/Icon-maskable-512.png\",\n            \"sizes\": \"512x512\",\n"
     "            \"type\": \"image/png\",\n            \"purpose\": \"maskable\"\n        }\n    ]\n}\n"},
    {"windows/runner/resources/app_icon.ico", 32, "ico"},
    {"windows/runner/Runner.rc", 0, "IDI_APP_ICON ICON \"resources\\\\app_icon.ico\"\n"},
};

// Tauri's "create-tauri-app": a web front end and src-tauri with its icons.
const TreeFile tauriTree[] = {
    {"package.json", 0,
     "{\n  \"name\": \"tidewater\",\n  \"devDependencies\": { \"@tauri-apps/cli\": \"^2\" }\n}\n"},
    {"index.html", 0, "<!doctype html>\n<html><body></body></html>\n"},
    {"src-tauri/Cargo.toml", 0, "[package]\nname = \"tidewater\"\nversion = \"0.1.0\"\n"},
    {"src-tauri/src/main.rs", 0, "fn main() {}\n"},
    {"src-tauri/tauri.conf.json", 0,
     "{\n  \"productName\": \"tidewater\",\n  \"bundle\": {\n    \"active\": true,\n    \"icon\": [\n"
     "      \"icons/32x32.png\",\n      \"icons/128x128.png\",\n      \"icons/128x128@2x.png\",\n"
     "      \"icons/icon.icns\",\n      \"icons/icon.ico\"\n    ]\n  }\n}\n"},
    {"src-tauri/icons/32x32.png", 32, "png"},
    {"src-tauri/icons/128x128.png", 128, "png"},
    {"src-tauri/icons/128x128@2x.png", 256, "png"},
    {"src-tauri/icons/icon.png", 512, "png"},
    {"src-tauri/icons/icon.icns", 128, "icns"},
    {"src-tauri/icons/icon.ico", 32, "ico"},
    {"src-tauri/icons/Square30x30Logo.png", 30, "png"},
    {"src-tauri/icons/Square44x44Logo.png", 44, "png"},
    {"src-tauri/icons/Square71x71Logo.png", 71, "png"},
    {"src-tauri/icons/Square89x89Logo.png", 89, "png"},
    {"src-tauri/icons/Square107x107Logo.png", 107, "png"},
    {"src-tauri/icons/Square142x142Logo.png", 142, "png"},
    {"src-tauri/icons/Square150x150Logo.png", 150, "png"},
    {"src-tauri/icons/Square284x284Logo.png", 284, "png"},
    {"src-tauri/icons/Square310x310Logo.png", 310, "png"},
    {"src-tauri/icons/StoreLogo.png", 50, "png"},
};

// Android Studio's "Empty Activity": WebP launcher icons and vector layers. (Attributes newer than
// the API 29 framework aapt checks against here are left out of the manifest.)
const TreeFile androidStudioTree[] = {
    {"settings.gradle.kts", 0, "rootProject.name = \"Tidewater\"\ninclude(\":app\")\n"},
    {"build.gradle.kts", 0, "plugins {\n    alias(libs.plugins.android.application) apply false\n}\n"},
    {"app/build.gradle.kts", 0, "plugins {\n    alias(libs.plugins.android.application)\n}\n"},
    {"app/src/main/AndroidManifest.xml", 0,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
     "<manifest xmlns:android=\"http://schemas.android.com/apk/res/android\"\n"
     "    xmlns:tools=\"http://schemas.android.com/tools\" package=\"com.example.tidewater\">\n\n"
     "    <application\n"
     "        android:allowBackup=\"true\"\n"
     "        android:fullBackupContent=\"@xml/backup_rules\"\n"
     "        android:icon=\"@drawable/old_icon\"\n"
     "        android:label=\"@string/app_name\"\n"
     "        android:supportsRtl=\"true\"\n"
     "        android:theme=\"@style/Theme.Tidewater\"\n"
     "        tools:targetApi=\"31\">\n"
     "        <activity\n"
     "            android:name=\".MainActivity\"\n"
     "            android:exported=\"true\">\n"
     "            <intent-filter>\n"
     "                <action android:name=\"android.intent.action.MAIN\" />\n\n"
     "                <category android:name=\"android.intent.category.LAUNCHER\" />\n"
     "            </intent-filter>\n"
     "        </activity>\n"
     "    </application>\n\n"
     "</manifest>\n"},
    {"app/src/main/java/com/example/tidewater/MainActivity.kt", 0, "package com.example.tidewater\n"},
    {"app/src/main/res/drawable/old_icon.png", 48, "png"},
    {"app/src/main/res/drawable/ic_launcher_background.xml", 0,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<vector "
     "xmlns:android=\"http://schemas.android.com/apk/res/android\"\n"
     "    android:width=\"108dp\" android:height=\"108dp\" android:viewportWidth=\"108\" "
     "android:viewportHeight=\"108\">\n"
     "    <path android:fillColor=\"#3DDC84\" android:pathData=\"M0,0h108v108h-108z\" />\n</vector>\n"},
    {"app/src/main/res/drawable/ic_launcher_foreground.xml", 0,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<vector "
     "xmlns:android=\"http://schemas.android.com/apk/res/android\"\n"
     "    android:width=\"108dp\" android:height=\"108dp\" android:viewportWidth=\"108\" "
     "android:viewportHeight=\"108\">\n"
     "    <path android:fillColor=\"#FFFFFF\" android:pathData=\"M54,34l20,40h-40z\" />\n</vector>\n"},
    {"app/src/main/res/mipmap-anydpi-v26/ic_launcher.xml", 0,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<adaptive-icon "
     "xmlns:android=\"http://schemas.android.com/apk/res/android\">\n"
     "    <background android:drawable=\"@drawable/ic_launcher_background\" />\n"
     "    <foreground android:drawable=\"@drawable/ic_launcher_foreground\" />\n</adaptive-icon>\n"},
    {"app/src/main/res/mipmap-anydpi-v26/ic_launcher_round.xml", 0,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<adaptive-icon "
     "xmlns:android=\"http://schemas.android.com/apk/res/android\">\n"
     "    <background android:drawable=\"@drawable/ic_launcher_background\" />\n"
     "    <foreground android:drawable=\"@drawable/ic_launcher_foreground\" />\n</adaptive-icon>\n"},
    {"app/src/main/res/mipmap-mdpi/ic_launcher.webp", 48, "webp"},
    {"app/src/main/res/mipmap-mdpi/ic_launcher_round.webp", 48, "webp"},
    {"app/src/main/res/mipmap-hdpi/ic_launcher.webp", 72, "webp"},
    {"app/src/main/res/mipmap-hdpi/ic_launcher_round.webp", 72, "webp"},
    {"app/src/main/res/mipmap-xxxhdpi/ic_launcher.webp", 192, "webp"},
    {"app/src/main/res/mipmap-xxxhdpi/ic_launcher_round.webp", 192, "webp"},
    {"app/src/main/res/values/strings.xml", 0,
     "<resources>\n    <string name=\"app_name\">Tidewater</string>\n</resources>\n"},
    {"app/src/main/res/values/themes.xml", 0,
     "<resources>\n    <style name=\"Theme.Tidewater\" parent=\"android:Theme.Material.Light.NoActionBar\" "
     "/>\n</resources>\n"},
    {"app/src/main/res/xml/backup_rules.xml", 0,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<full-backup-content />\n"},
};

// Capacitor's app with its Android and iOS projects (the web build copied into them is theirs).
const TreeFile capacitorTree[] = {
    {"capacitor.config.ts", 0,
     "const config = { appId: 'com.example.tidewater', webDir: 'dist' };\nexport default config;\n"},
    {"package.json", 0,
     "{\n  \"name\": \"tidewater\",\n  \"dependencies\": { \"@capacitor/core\": \"^6.0.0\" }\n}\n"},
    {"android/app/build.gradle", 0, "apply plugin: 'com.android.application'\n"},
    {"android/app/src/main/AndroidManifest.xml", 0,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
     "<manifest xmlns:android=\"http://schemas.android.com/apk/res/android\" "
     "package=\"com.example.tidewater\">\n"
     "    <application\n        android:allowBackup=\"true\"\n        android:icon=\"@mipmap/ic_launcher\"\n"
     "        android:label=\"@string/app_name\"\n        android:roundIcon=\"@mipmap/ic_launcher_round\"\n"
     "        android:supportsRtl=\"true\">\n    </application>\n</manifest>\n"},
    {"android/app/src/main/res/values/strings.xml", 0,
     "<resources><string name=\"app_name\">Tidewater</string></resources>\n"},
    {"android/app/src/main/res/values/ic_launcher_background.xml", 0,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resources>\n    <color "
     "name=\"ic_launcher_background\">#FFFFFF</color>\n</resources>\n"},
    {"android/app/src/main/res/mipmap-anydpi-v26/ic_launcher.xml", 0,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<adaptive-icon "
     "xmlns:android=\"http://schemas.android.com/apk/res/android\">\n"
     "    <background android:drawable=\"@color/ic_launcher_background\"/>\n"
     "    <foreground android:drawable=\"@mipmap/ic_launcher_foreground\"/>\n</adaptive-icon>\n"},
    {"android/app/src/main/res/mipmap-hdpi/ic_launcher.png", 72, "png"},
    {"android/app/src/main/res/mipmap-hdpi/ic_launcher_round.png", 72, "png"},
    {"android/app/src/main/res/mipmap-hdpi/ic_launcher_foreground.png", 162, "png"},
    {"android/app/src/main/assets/public/manifest.json", 0,
     "{ \"icons\": [ { \"src\": \"icon.png\", \"sizes\": \"512x512\" } ] }\n"},
    {"ios/App/App.xcodeproj/project.pbxproj", 0, "// !$*UTF8*$!\n{\n}\n"},
    {"ios/App/App/Assets.xcassets/AppIcon.appiconset/Contents.json", 0,
     "{\n  \"images\" : [\n    {\n      \"filename\" : \"AppIcon-512@2x.png\",\n      \"idiom\" : "
     "\"universal\",\n"
     "      \"platform\" : \"ios\",\n      \"size\" : \"1024x1024\"\n    }\n  ],\n"
     "  \"info\" : {\n    \"author\" : \"xcode\",\n    \"version\" : 1\n  }\n}\n"},
    {"ios/App/App/Assets.xcassets/AppIcon.appiconset/AppIcon-512@2x.png", 1024, "png"},
    {"ios/App/App/public/manifest.json", 0,
     "{ \"icons\": [ { \"src\": \"icon.png\", \"sizes\": \"512x512\" } ] }\n"},
};

// React Native's template: app.json, Android and an iOS catalog that names no files yet.
const TreeFile reactNativeTree[] = {
    {"app.json", 0, "{\n  \"name\": \"Tidewater\",\n  \"displayName\": \"Tidewater\"\n}\n"},
    {"package.json", 0,
     "{\n  \"name\": \"tidewater\",\n  \"dependencies\": { \"react-native\": \"0.76.0\" }\n}\n"},
    {"android/app/build.gradle", 0, "apply plugin: \"com.android.application\"\n"},
    {"android/app/src/main/AndroidManifest.xml", 0,
     "<manifest xmlns:android=\"http://schemas.android.com/apk/res/android\" package=\"com.tidewater\">\n"
     "    <application android:name=\".MainApplication\" android:label=\"@string/app_name\" "
     "android:icon=\"@mipmap/ic_launcher\" android:roundIcon=\"@mipmap/ic_launcher_round\" "
     "android:allowBackup=\"false\">\n    </application>\n</manifest>\n"},
    {"android/app/src/main/res/values/strings.xml", 0,
     "<resources><string name=\"app_name\">Tidewater</string></resources>\n"},
    {"android/app/src/main/res/mipmap-mdpi/ic_launcher.png", 48, "png"},
    {"android/app/src/main/res/mipmap-mdpi/ic_launcher_round.png", 48, "png"},
    {"ios/Tidewater.xcodeproj/project.pbxproj", 0, "// !$*UTF8*$!\n{\n}\n"},
    {"ios/Tidewater/Images.xcassets/AppIcon.appiconset/Contents.json", 0,
     "{\n  \"images\" : [\n    {\n      \"idiom\" : \"iphone\",\n      \"scale\" : \"2x\",\n      \"size\" : "
     "\"20x20\"\n    },\n"
     "    {\n      \"idiom\" : \"ios-marketing\",\n      \"scale\" : \"1x\",\n      \"size\" : "
     "\"1024x1024\"\n    }\n  ],\n"
     "  \"info\" : {\n    \"author\" : \"xcode\",\n    \"version\" : 1\n  }\n}\n"},
};

// Expo's default app: no native folders, its icons named in app.json (the splash image is not an
// icon and stays).
const TreeFile expoTree[] = {
    {"package.json", 0,
     "{\n  \"name\": \"tidewater\",\n  \"main\": \"expo-router/entry\",\n  \"dependencies\": {\n"
     "    \"expo\": \"~52.0.0\",\n    \"react-native\": \"0.76.3\"\n  }\n}\n"},
    {"app.json", 0,
     "{\n  \"expo\": {\n    \"name\": \"tidewater\",\n    \"icon\": \"./assets/images/icon.png\",\n"
     "    \"ios\": { \"supportsTablet\": true },\n    \"android\": {\n      \"adaptiveIcon\": {\n"
     "        \"foregroundImage\": \"./assets/images/adaptive-icon.png\",\n        \"backgroundColor\": "
     "\"#ffffff\"\n"
     "      }\n    },\n    \"web\": { \"bundler\": \"metro\", \"favicon\": \"./assets/images/favicon.png\" "
     "},\n"
     "    \"plugins\": [[\"expo-splash-screen\", { \"image\": \"./assets/images/splash-icon.png\" }]]\n  "
     "}\n}\n"},
    {"app/index.tsx", 0, "export default function Index() { return null; }\n"},
    {"assets/images/icon.png", 1024, "png"},
    {"assets/images/adaptive-icon.png", 1024, "png"},
    {"assets/images/favicon.png", 48, "png"},
    {"assets/images/splash-icon.png", 200, "png"},
};

// An Electron app packed by electron-builder, which keeps its icons in build/.
const TreeFile electronTree[] = {
    {"package.json", 0,
     "{\n  \"name\": \"tidewater\",\n  \"main\": \"main.js\",\n  \"devDependencies\": {\n    \"electron\": "
     "\"^33.0.0\",\n"
     "    \"electron-builder\": \"^25.0.0\"\n  }\n}\n"},
    {"main.js", 0, "const { app } = require('electron');\n"},
};

// A web app of Create React App's layout: public/manifest.json without a maskable icon.
const TreeFile webTree[] = {
    {"package.json", 0, "{\n  \"name\": \"tidewater\",\n  \"dependencies\": { \"react\": \"^18.0.0\" }\n}\n"},
    {"public/index.html", 0,
     "<!DOCTYPE html>\n<html><head><link rel=\"manifest\" href=\"%PUBLIC_URL%/manifest.json\" "
     "/></head></html>\n"},
    {"public/favicon.ico", 32, "ico"},
    {"public/logo192.png", 192, "png"},
    {"public/logo512.png", 512, "png"},
    {"public/manifest.json", 0,
     "{\n  \"short_name\": \"Tidewater\",\n  \"icons\": [\n    {\n      \"src\": \"favicon.ico\",\n"
     "      \"sizes\": \"64x64 32x32 24x24 16x16\",\n      \"type\": \"image/x-icon\"\n    },\n"
     "    {\n      \"src\": \"logo192.png\",\n      \"type\": \"image/png\",\n      \"sizes\": \"192x192\"\n "
     "   },\n"
     "    {\n      \"src\": \"logo512.png\",\n      \"type\": \"image/png\",\n      \"sizes\": \"512x512\"\n "
     "   }\n  ],\n"
     "  \"start_url\": \".\",\n  \"theme_color\": \"#000000\",\n  \"background_color\": \"#ffffff\"\n}\n"},
};

// A WinUI 3 app as Visual Studio's "Blank App, Packaged" makes it: its logos at scale-200.
const TreeFile winuiTree[] = {
    {"Tidewater.sln", 0, "Microsoft Visual Studio Solution File, Format Version 12.00\n"},
    {"Tidewater/Tidewater.csproj", 0,
     "<Project Sdk=\"Microsoft.NET.Sdk\">\n  <ItemGroup>\n    <Content "
     "Include=\"Assets\\SplashScreen.scale-200.png\" />\n"
     "  </ItemGroup>\n</Project>\n"},
    {"Tidewater/Package.appxmanifest", 0,
     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Package>\n  <Properties>\n    "
     "<Logo>Assets\\StoreLogo.png</Logo>\n"
     "  </Properties>\n  <Applications>\n    <Application Id=\"App\">\n      <uap:VisualElements "
     "DisplayName=\"Tidewater\" "
     "BackgroundColor=\"transparent\" Square150x150Logo=\"Assets\\Square150x150Logo.png\" "
     "Square44x44Logo=\"Assets\\Square44x44Logo.png\">\n        <uap:DefaultTile "
     "Wide310x150Logo=\"Assets\\Wide310x150Logo.png\" />\n        <uap:SplashScreen "
     "Image=\"Assets\\SplashScreen.png\" />\n      </uap:VisualElements>\n    </Application>\n  "
     "</Applications>\n"
     "</Package>\n"},
    {"Tidewater/Assets/LockScreenLogo.scale-200.png", 48, "png"},
    {"Tidewater/Assets/SplashScreen.scale-200.png", 1240, "png", 600},
    {"Tidewater/Assets/Square150x150Logo.scale-200.png", 300, "png"},
    {"Tidewater/Assets/Square44x44Logo.scale-200.png", 88, "png"},
    {"Tidewater/Assets/Square44x44Logo.targetsize-24_altform-unplated.png", 24, "png"},
    {"Tidewater/Assets/StoreLogo.png", 50, "png"},
    {"Tidewater/Assets/Wide310x150Logo.scale-200.png", 620, "png", 300},
};

// A file the update must leave at `size` pixels (the largest entry of a container), or at
// `size` x `height`.
struct Expected
{
    const char* path;
    int size;
    int height = 0;
};

struct Tree
{
    const char* name;
    const TreeFile* files;
    int count;
    QList<Expected> expected;
};

template <std::size_t N> Tree tree(const char* name, const TreeFile (&files)[N], QList<Expected> expected)
{
    return {name, files, int(N), expected};
}

const Tree trees[] = {
    tree("Flutter", flutterTree,
         {{"android/app/src/main/res/mipmap-xxxhdpi/ic_launcher_foreground.png", 432},
          {"android/app/src/main/ic_launcher-playstore.png", 512},
          {"ios/Runner/Assets.xcassets/AppIcon.appiconset/AppIcon-1024-dark.png", 1024},
          {"ios/AppIcon.icon/Assets/Picture.png", 1024},
          {"macos/Runner/Assets.xcassets/AppIcon.appiconset/AppIcon-64.png", 64},
          {"web/icons/Icon-maskable-512.png", 512},
          {"web/favicon.png", 16},
          {"windows/runner/resources/app_icon.ico", 256}}),
    tree("Tauri", tauriTree,
         {{"src-tauri/icons/StoreLogo.png", 50},
          {"src-tauri/icons/Square89x89Logo.png", 89},
          {"src-tauri/icons/128x128@2x.png", 256},
          {"src-tauri/icons/icon.icns", 1024},
          {"src-tauri/icons/icon.ico", 256}}),
    tree("Android Studio", androidStudioTree,
         {{"app/src/main/res/mipmap-hdpi/ic_launcher_round.png", 72},
          {"app/src/main/res/mipmap-xxxhdpi/ic_launcher_monochrome.png", 432}}),
    tree("Capacitor", capacitorTree,
         {{"android/app/src/main/res/mipmap-hdpi/ic_launcher_foreground.png", 162},
          {"ios/App/App/Assets.xcassets/AppIcon.appiconset/AppIcon-1024.png", 1024},
          {"ios/App/AppIcon.icon/icon.json", 0}}),
    tree("React Native", reactNativeTree,
         {{"android/app/src/main/res/mipmap-xxhdpi/ic_launcher.png", 144},
          {"ios/Tidewater/Images.xcassets/AppIcon.appiconset/AppIcon-1024-tinted.png", 1024}}),
    tree("Expo", expoTree,
         {{"assets/images/icon.png", 1024},
          {"assets/images/adaptive-icon.png", 1024},
          {"assets/images/favicon.png", 48}}),
    tree("Electron", electronTree,
         {{"build/icon.icns", 1024}, {"build/icon.ico", 256}, {"build/icons/1024x1024.png", 1024}}),
    tree("WinUI", winuiTree,
         {{"Tidewater/Assets/StoreLogo.png", 50},
          {"Tidewater/Assets/Square44x44Logo.targetsize-24_altform-unplated.png", 24},
          {"Tidewater/Assets/Wide310x150Logo.scale-200.png", 620, 300},
          {"Tidewater/Assets/SplashScreen.scale-200.png", 1240, 600}}),
    tree("web app", webTree,
         {{"public/logo192.png", 192}, {"public/favicon.ico", 64}, {"public/icon-maskable-512.png", 512}}),
};

void lay(const QString& root, const Tree& t)
{
    for (int i = 0; i < t.count; ++i) {
        const TreeFile& f = t.files[i];
        const QString path = root + QLatin1Char('/') + QLatin1String(f.path);
        QDir().mkpath(QFileInfo(path).path());
        writeFile(path, f.size ? placeholder(f.size, QLatin1String(f.text), f.height) : QByteArray(f.text));
    }
}

// Every file under `root` (but the backup) with its bytes.
QMap<QString, QByteArray> contents(const QString& root)
{
    QMap<QString, QByteArray> files = filesUnder(root);
    for (auto it = files.begin(); it != files.end();)
        it = it.key().startsWith(QLatin1String(".glyphwright-backup/")) ? files.erase(it) : std::next(it);
    return files;
}

QImage imageAt(const QString& path)
{
    return QImageReader(path).read();
}

QString aaptPackage(const QString& module)
{
    // Gradle fills in the manifest's placeholders before aapt sees it.
    QDir().mkpath(module + QStringLiteral("/merged"));
    const QString manifest = module + QStringLiteral("/merged/AndroidManifest.xml");
    writeFile(manifest, readAll(module + QStringLiteral("/src/main/AndroidManifest.xml"))
                            .replace("${applicationName}", "android.app.Application"));
    QProcess p;
    p.start(QStringLiteral("aapt"),
            {QStringLiteral("package"), QStringLiteral("-f"), QStringLiteral("-M"), manifest,
             QStringLiteral("-S"), module + QStringLiteral("/src/main/res"), QStringLiteral("-I"),
             QStringLiteral("/usr/share/android-framework-res/framework-res.apk"), QStringLiteral("-F"),
             module + QStringLiteral("/app.apk")});
    p.waitForFinished(60000);
    const QString output = QString::fromUtf8(p.readAllStandardError());
    QFile::remove(module + QStringLiteral("/app.apk"));
    QDir(module + QStringLiteral("/merged")).removeRecursively();
    return p.exitCode() == 0 ? QString() : output;
}

} // namespace

class TestApply : public QObject
{
    Q_OBJECT

  public:
    static void initMain() { isolateEnvironment(); }

  private slots:
    void initTestCase() { initResources(); }
    void templates_data();
    void templates();
    void refusesWhatItMustNotTouch();
    void commandLine();
};

void TestApply::templates_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(std::size(trees)); ++i)
        QTest::newRow(trees[i].name) << i;
}

void TestApply::templates()
{
    QFETCH(int, index);
    const Tree& t = trees[index];
    QTemporaryDir work;
    const QString root = work.path();
    lay(root, t);
    const QMap<QString, QByteArray> before = contents(root);

    IconDesign design;
    design.backgroundColor = QColor(0x0e, 0x7c, 0x86);
    const Packages::AppPlan plan = Packages::planAppUpdate(design, root);
    QVERIFY(!plan.found.isEmpty());
    const QString backup = Packages::backupFolder(root, QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9)));
    QCOMPARE(backup, QStringLiteral(".glyphwright-backup/2026-12-07_14-05-09"));
    const Files::Outcome outcome = Packages::applyAppPlan(plan, backup);
    QVERIFY2(outcome.failed.isEmpty(),
             qPrintable(outcome.failed.value(0).path + QLatin1Char(' ') + outcome.failed.value(0).reason));
    const QMap<QString, QByteArray> after = contents(root);

    QSet<QString> changed;
    for (const Packages::AppChange& c : plan.changes)
        if (c.action != Packages::AppChange::Same)
            changed << c.path;
    for (auto it = before.begin(); it != before.end(); ++it) {
        const QString& path = it.key();
        if (!changed.contains(path)) {
            // Not an icon nor an icon entry: as it was, byte for byte.
            QVERIFY2(after.value(path) == it.value(), qPrintable(path));
            continue;
        }
        // Replaced, edited or moved out: the old bytes are in the backup, under the same path.
        QVERIFY2(readAll(root + QLatin1Char('/') + backup + QLatin1Char('/') + path) == it.value(),
                 qPrintable(path));
        QVERIFY2(after.value(path) != it.value(), qPrintable(path));
        const QImage old = imageAt(root + QLatin1Char('/') + backup + QLatin1Char('/') + path);
        if (!old.isNull() && after.contains(path) && QFileInfo(path).suffix() == QLatin1String("png"))
            QVERIFY2(imageAt(root + QLatin1Char('/') + path).size() == old.size(), qPrintable(path));
    }
    for (const QString& path : after.keys())
        QVERIFY2(before.contains(path) || changed.contains(path), qPrintable(path));

    // Every asset catalog names only files that exist, at their declared sizes, and holds no other.
    for (const QString& path : after.keys()) {
        if (!path.endsWith(QLatin1String(".appiconset/Contents.json")))
            continue;
        const QString set = root + QLatin1Char('/') + QFileInfo(path).path() + QLatin1Char('/');
        QSet<QString> named{QStringLiteral("Contents.json")};
        for (const QJsonValue& v :
             QJsonDocument::fromJson(after.value(path)).object().value(QStringLiteral("images")).toArray()) {
            const QJsonObject entry = v.toObject();
            const QString file = entry.value(QStringLiteral("filename")).toString();
            named << file;
            const int points =
                entry.value(QStringLiteral("size")).toString().section(QLatin1Char('x'), 0, 0).toInt();
            const int scale =
                entry.value(QStringLiteral("scale")).toString(QStringLiteral("1x")).left(1).toInt();
            QVERIFY2(imageAt(set + file).size() == QSize(points * scale, points * scale),
                     qPrintable(set + file));
        }
        const QStringList inSet = QDir(set).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(QSet<QString>(inSet.begin(), inSet.end()), named);
    }
    // Android: the icon entries point at the new icons, and aapt packages the resources with them.
    for (const QString& path : after.keys()) {
        if (!path.endsWith(QLatin1String("src/main/AndroidManifest.xml")))
            continue;
        const QString manifest = QString::fromUtf8(after.value(path));
        QVERIFY(manifest.contains(QLatin1String("android:icon=\"@mipmap/ic_launcher\"")));
        QVERIFY(manifest.contains(QLatin1String("android:roundIcon=\"@mipmap/ic_launcher_round\"")));
        const QString module =
            root + QLatin1Char('/') + path.left(path.size() - int(qstrlen("/src/main/AndroidManifest.xml")));
        const QString problem = aaptPackage(module);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(imageAt(module + QStringLiteral("/src/main/res/mipmap-xxxhdpi/ic_launcher_foreground.png"))
                     .size(),
                 QSize(432, 432));
        QCOMPARE(imageAt(module + QStringLiteral("/src/main/ic_launcher-playstore.png")).size(),
                 QSize(512, 512));
    }
    // The files each framework looks for, made by the update, at their sizes.
    for (const Expected& e : t.expected) {
        const QString path = root + QLatin1Char('/') + QLatin1String(e.path);
        QVERIFY2(changed.contains(QLatin1String(e.path)), e.path);
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        if (e.size)
            QVERIFY2(Cli::pixelSize(&file) == QSize(e.size, e.height ? e.height : e.size), e.path);
    }
    // Every web manifest stays valid, lists a maskable icon, full bleed at its size; Flutter's
    // takes the icon's colour, the rest of it as it was.
    for (const QString& path : after.keys()) {
        // (The copies a build makes inside the native projects are the build's.)
        if (!path.endsWith(QLatin1String("manifest.json")) ||
            path.contains(QLatin1String("/assets/public/")) || path.contains(QLatin1String("/App/public/")))
            continue;
        const QJsonObject manifest = QJsonDocument::fromJson(after.value(path)).object();
        QVERIFY2(!manifest.isEmpty(), qPrintable(path));
        QString maskable;
        for (const QJsonValue& v : manifest.value(QStringLiteral("icons")).toArray())
            if (v.toObject().value(QStringLiteral("purpose")).toString() == QLatin1String("maskable"))
                maskable = v.toObject().value(QStringLiteral("src")).toString();
        QVERIFY2(!maskable.isEmpty(), qPrintable(path));
        const QImage icon =
            imageAt(root + QLatin1Char('/') + QFileInfo(path).path() + QLatin1Char('/') + maskable)
                .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.pixelColor(2, 2), QColor(0x0e, 0x7c, 0x86));
        if (path == QLatin1String("web/manifest.json")) {
            QCOMPARE(manifest.value(QStringLiteral("theme_color")).toString(), QStringLiteral("#0e7c86"));
            QCOMPARE(manifest.value(QStringLiteral("description")).toString(),
                     QStringLiteral("A new Flutter project."));
        }
    }

    // A second run changes nothing, and a look without writing writes nothing.
    const Packages::AppPlan again = Packages::planAppUpdate(design, root);
    QCOMPARE(again.count(Packages::AppChange::Same), again.changes.size());
    design.backgroundColor = Qt::black;
    const Packages::AppPlan other = Packages::planAppUpdate(design, root);
    QVERIFY(other.count(Packages::AppChange::Replace) > 0);
    QCOMPARE(contents(root), after);
}

void TestApply::refusesWhatItMustNotTouch()
{
    QTemporaryDir work, outside;
    const QString root = work.path();
    lay(root, trees[1]); // Tauri
    // An icons folder that is a link out of the app's folder gets nothing written through it.
    writeFile(outside.filePath(QStringLiteral("32x32.png")), "theirs");
    QDir(root + QStringLiteral("/src-tauri/icons")).removeRecursively();
    QVERIFY(QFile::link(outside.path(), root + QStringLiteral("/src-tauri/icons")));
    const Packages::AppPlan plan = Packages::planAppUpdate(IconDesign(), root);
    const Files::Outcome outcome =
        Packages::applyAppPlan(plan, Packages::backupFolder(root, QDateTime::currentDateTime()));
    QVERIFY(!outcome.failed.isEmpty());
    QVERIFY(outcome.written.isEmpty());
    QCOMPARE(QDir(outside.path()).entryList(QDir::Files), QStringList{QStringLiteral("32x32.png")});
    QCOMPARE(readAll(outside.filePath(QStringLiteral("32x32.png"))), QByteArray("theirs"));

    // A debug build's own launcher icons are its own: left alone, with a note.
    QTemporaryDir studio;
    lay(studio.path(), trees[2]); // Android Studio
    const QString debugIcon =
        studio.filePath(QStringLiteral("app/src/debug/res/mipmap-hdpi/ic_launcher.png"));
    QDir().mkpath(QFileInfo(debugIcon).path());
    writeFile(debugIcon, placeholder(72, QStringLiteral("png")));
    const Packages::AppPlan studioPlan = Packages::planAppUpdate(IconDesign(), studio.path());
    QVERIFY(studioPlan.notes.join(QLatin1Char('\n'))
                .contains(QStringLiteral("app/src/debug has launcher icons of its own")));
    for (const Packages::AppChange& c : studioPlan.changes)
        QVERIFY2(!c.path.startsWith(QLatin1String("app/src/debug/")), qPrintable(c.path));

    // A folder of more folders than any app's project (a home folder chosen by mistake) is not
    // searched, so nothing in it is changed.
    QTemporaryDir home;
    lay(home.filePath(QStringLiteral("zz-app")), trees[1]);
    for (int i = 0; i < 20001; ++i)
        QDir().mkpath(home.filePath(QStringLiteral("d%1/e%2").arg(i / 150).arg(i % 150)));
    const Packages::AppPlan refused = Packages::planAppUpdate(IconDesign(), home.path());
    QVERIFY(refused.refused.contains(QStringLiteral("more than 20000 folders")));
    QVERIFY(refused.changes.isEmpty());
}

void TestApply::commandLine()
{
    QTemporaryDir work;
    const QString project = projectFile(work.path(), QStringLiteral("Tidewater.ipr"), {});
    const QString app = work.filePath(QStringLiteral("app"));
    lay(app, trees[0]); // Flutter
    const QMap<QString, QByteArray> before = contents(app);
    // --dry-run lists the changes and writes nothing.
    Run run = cli({QStringLiteral("apply"), project, app, QStringLiteral("--dry-run")});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains(QStringLiteral("Found Flutter app (pubspec.yaml)")), qPrintable(run.out));
    QVERIFY(run.out.contains(QStringLiteral("replace  web/icons/Icon-192.png\n")));
    QVERIFY(run.out.contains(QStringLiteral("edit     android/app/src/main/AndroidManifest.xml\n")));
    QVERIFY(run.out.contains(
        QStringLiteral("remove   ios/Runner/Assets.xcassets/AppIcon.appiconset/Icon-App-20x20@2x.png\n")));
    QVERIFY(run.out.contains(QStringLiteral("nothing was written")));
    QCOMPARE(contents(app), before);
    QVERIFY(!QFileInfo::exists(app + QStringLiteral("/.glyphwright-backup")));
    // The report for scripts; a second run has nothing to do.
    run = cli({QStringLiteral("--json"), QStringLiteral("apply"), project, app});
    QCOMPARE(run.status, 0);
    const QJsonObject report = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QVERIFY(report.value(QStringLiteral("backup"))
                .toString()
                .startsWith(app + QStringLiteral("/.glyphwright-backup/")));
    bool sawIcon = false;
    for (const QJsonValue& v : report.value(QStringLiteral("changes")).toArray()) {
        const QJsonObject c = v.toObject();
        if (c.value(QStringLiteral("path")).toString() == app + QStringLiteral("/web/icons/Icon-512.png")) {
            sawIcon = true;
            QCOMPARE(c.value(QStringLiteral("action")).toString(), QStringLiteral("replace"));
            QCOMPARE(c.value(QStringLiteral("width")).toInt(), 512);
        }
    }
    QVERIFY(sawIcon);
    run = cli({QStringLiteral("apply"), project, app});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.endsWith(
                 QStringLiteral("0 added, 0 replaced, 0 edited, 0 removed, 50 already up to date.\n")),
             qPrintable(run.out.right(200)));
    // A folder without a known app project: status 2 and what was looked for.
    const QString empty = work.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    run = cli({QStringLiteral("apply"), project, empty});
    QCOMPARE(run.status, 2);
    QVERIFY(run.err.startsWith(QStringLiteral("No app project was found in ") + empty +
                               QStringLiteral(". Looked for:\n")));
    QVERIFY(run.err.contains(QStringLiteral("Tauri (src-tauri/tauri.conf.json)")));
}

QTEST_MAIN(TestApply)
#include "test_apply.moc"
