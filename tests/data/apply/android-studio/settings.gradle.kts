rootProject.name = "Tidewater"
include(":app")
