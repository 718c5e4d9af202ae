#pragma once
// What the benchmark programs share: a median and the dialogue and timing of
// the generated film pair.

#include <algorithm>
#include <vector>

namespace bench {

inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Six lines of each language, cycled through the generated sets; one in
// italics and one of two lines, as real subtitles have.
inline const char *const upperLines[] = {
    "Where were you last night?",
    "I told you, I was at the office.",
    "<i>The harbour closes at midnight.</i>",
    "Nobody saw the ship leave.|Not even the guards.",
    "Then someone is lying.",
    "We have to go back before dawn.",
};
inline const char *const lowerLines[] = {
    "¿Dónde estabas anoche?",
    "Te lo dije, estaba en la oficina.",
    "<i>El puerto cierra a medianoche.</i>",
    "Nadie vio salir el barco.|Ni siquiera los guardias.",
    "Entonces alguien miente.",
    "Tenemos que volver antes del amanecer.",
};

// Subtitle i of the generated pair, in ms: 2 s every 3 s. Every other lower
// subtitle overlaps its upper partner only partly (its transitions 800 and
// 600 ms away, beyond the default snap of 500), the others lie within the snap
// and meet it.
struct Span
{
    int start;
    int end;
};

inline Span pairSpan(int i, bool lower)
{
    const int base = i * 3000;
    if (!lower)
        return {base, base + 2000};
    return i % 2 == 0 ? Span {base + 800, base + 2600} : Span {base + 150, base + 2100};
}

} // namespace bench
