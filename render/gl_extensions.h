#pragma once

// Whether an OpenGL or WGL extension string (names separated by blanks)
// lists `name` as a whole word: "GL_ARB_multitexture" must not be found in
// "GL_ARB_multitexture_extra". A null list holds nothing.
bool ExtensionListHolds(const char* list, const char* name);
