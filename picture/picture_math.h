#pragma once

#include "geometry/pixel_size.h"

// Size rules of the picture textures and the desktop snapshot. OpenGL 1.1
// wants power-of-two sides, and no side may exceed the context's largest.

// 2 to the power floor(log2(n) + 0.5): the power of two nearest to n on a
// logarithmic scale. Defined for n of 1 or more; below that it gives 1, and it
// stops at 2^30, the largest power of two an int holds.
int NearestPowerOfTwo(int n);

// A picture side in HIMETRIC units (0.01 mm) measured in screen pixels at the
// given pixels per inch, rounded to the nearest pixel (halves away from zero).
int HimetricToPixels(int himetric, int pixelsPerInch);

// The texture side for a picture-file side of `pixels`: the largest side the
// context accepts when the picture is wider than that, else the nearest power
// of two. 0, meaning "cannot be loaded", when either input is below 1.
int PictureTextureSide(int pixels, int maxTextureSide);

// The texture side for a bitmap side: the bitmap's own side when the context
// accepts it, else the largest power of two within the limit, so that a
// power-of-two snapshot stays power-of-two when it is scaled down.
// 0 when either input is below 1. A context that takes power-of-two sides
// only (`powerOfTwoOnly`, OpenGL 1.x without the extension) gets the largest
// power of two not above the side: a monitor-sized snapshot still uploads
// there, shrunk.
int BitmapTextureSide(int side, int maxTextureSide, bool powerOfTwoOnly = false);

// The texture size for a picture file of `picture` pixels (upright): each side
// by PictureTextureSide, then held to the nearest power of two of the largest
// monitor's side, since the surface never shows more than a monitor does. A
// monitor side below 1 (unknown) holds nothing. {0, 0} when the picture or
// the context has no size.
PixelSize PictureTextureSize(PixelSize picture, PixelSize largestMonitor, int maxTextureSide);

// Whether a decoder may be asked for a picture that claims this size: every
// side 1 or more and at most 2^28 pixels (16384 x 16384) in all. A header can
// claim far more than the file holds, and decoders allocate from the claim.
bool DecodablePictureSize(PixelSize picture);

// The desktop snapshot's size for a screen: each side rounded to the nearest
// power of two. {0, 0} when the screen reports no size.
PixelSize SnapshotSize(int screenWidth, int screenHeight);

// The size a decoder that scales by halves while decoding (1/2, 1/4 or 1/8,
// as JPEG's does) is best asked for: the smallest of those reductions of
// `stored` whose sides both still hold `wanted`'s, so that scaling down to
// `wanted` afterwards loses nothing; `stored` itself when none does.
PixelSize ReducedDecodeSize(PixelSize stored, PixelSize wanted);

// How many rows of the `scaled` picture to ask a scaler for at once, so that
// the rows of `source` it reads for them (it holds them all, at the source's
// full width) stay within `sourceRows` and the strip within `scaledRows`;
// at least 1.
int ScaledRowsPerCopy(int sourceHeight, int scaledHeight, int sourceRows, int scaledRows);
