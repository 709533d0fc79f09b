#pragma once

// Resources of win32_tests that hold test pictures (see picture_test_data.rc).
#define IDR_QUADRANTS_JPEG 2001
#define IDR_PHOTO_TURNED_JPEG 2002
