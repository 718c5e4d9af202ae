#pragma once
// What the benchmark programs share: a median and the dialogue of the
// generated film pair.

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

} // namespace bench
