#pragma once

// Registers the compiled-in artwork (":/Flat/", ":/Colored/", ":/Graphics/", ":/Resources/").
// The resources live in a static library, so every program that uses them must call this once
// before the first resource path is opened. Calling it again is harmless.
void initResources();
