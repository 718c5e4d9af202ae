#pragma once
// Codings in one include: the list the selectors offer, the codec seam, and
// the detection of a file's coding.

#include "core/codinglist.h"
#include "core/detection.h"
#include "core/textcodec.h"
