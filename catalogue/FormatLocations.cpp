#include "catalogue/FormatLocations.h"

void FormatLocations::clear()
{
    rtas = {};
    vst = {};
    vst64 = {};
    au = {};
}
