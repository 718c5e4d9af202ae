#pragma once
// The subtitle formats as the rest of the program uses them: the table, and
// what SubRip and MicroDVD offer beyond it (time lines, frame rates).

#include "core/formats/formattable.h"
#include "core/formats/microdvd.h"
#include "core/formats/subrip.h"
