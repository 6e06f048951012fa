// Builds the precompiled headers the window's tests share.
