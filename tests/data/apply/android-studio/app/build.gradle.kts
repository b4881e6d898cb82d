plugins {
    alias(libs.plugins.android.application)
}
