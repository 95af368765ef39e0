// The paint handler shared by the three pages: the page's picture stretched over its picture
// frame control, after the frame has drawn itself.
#pragma once

#include <string>

#include "framework/dialog.h"

namespace wizard {

// Paints program folder + `bitmap` into control 1007 of `page`; a missing picture leaves the
// empty frame. Always true: the page has painted itself.
bool PaintPagePicture(const framework::Dialog& page, const std::string& bitmap);

}  // namespace wizard
