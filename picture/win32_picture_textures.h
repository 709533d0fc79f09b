#pragma once

#include <windows.h>
#include <GL/gl.h>

#include "geometry/pixel_size.h"

// The picture loaders behind WaterSurface::SetTexture. Each one needs a current
// rendering context. On success it creates one texture object (linear
// filtering, one level, rows bottom-up so the picture stands upright), leaves
// it bound to GL_TEXTURE_2D, writes its name through `texture` and returns
// TRUE. On failure it returns FALSE having created and written nothing.

// A picture file that the Windows Imaging Component decodes (BMP, JPEG, PNG,
// GIF, TIFF, ICO and any codec installed), else the OLE picture loader, as
// RGBA with power-of-two sides no larger than the largest monitor needs,
// upright as its EXIF orientation says; pure black pixels get alpha 0. The
// path is UTF-8, of any length the file system allows.
BOOL LoadTextureFromFile(GLuint* texture, const char* path);

// A new texture object of the given pixels (null: contents left undefined,
// for a later glTexSubImage2D), linear filtering, one level, left bound.
void CreateTexture(GLuint* texture, GLint internalFormat, int width, int height, GLenum format,
                   const void* pixels);

// The size of the texture bound to GL_TEXTURE_2D, as the loaders leave it.
PixelSize BoundTextureSize();

// A 24-bit bitmap resource of the executable, at its own size.
BOOL LoadTextureFromResource(GLuint* texture, UINT resourceId);

// A bitmap handle, at its own size unless the context cannot take that, in
// which case it is scaled down to power-of-two sides that fit. The bitmap
// stays the caller's and must not be selected into a device context.
BOOL LoadTextureFromBitmap(GLuint* texture, HBITMAP bitmap);

// A new texture of the picture file when `path` is not null, else of the
// bitmap, and of the built-in picture when neither gives one; 0 without a
// current rendering context. The texture is the caller's to delete.
GLuint LoadPictureTexture(const char* path, HBITMAP bitmap);
