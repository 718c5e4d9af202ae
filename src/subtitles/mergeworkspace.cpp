#include "subtitles/mergeworkspace.h"

MergeWorkspace &workspace()
{
    static MergeWorkspace instance;
    return instance;
}

MergeWorkspace::MergeWorkspace()
    : upper(QStringLiteral("Up: "))
    , lower(QStringLiteral("Lw: "))
    , merged(QStringLiteral("Mx: "))
{
    links.upper = &upper;
    links.lower = &lower;
}

void MergeWorkspace::init()
{
    upper.init();
    lower.init();
    merged.init();
    links.view = nullptr;
    links.count = 0;
}
