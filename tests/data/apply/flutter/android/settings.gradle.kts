include(":app")
