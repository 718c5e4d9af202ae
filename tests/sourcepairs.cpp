#include "sourcepairs.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <random>

double TimeDistortion::apply(double t, double filmLength, double splitsAt) const
{
    double result = t * fromRate / toRate * (1 + drift) + offsetMs;
    for (const auto &split : splits)
        if ((splitsAt < 0 ? t : splitsAt) >= split.first * filmLength)
            result += split.second;
    return result;
}

namespace {

double lengthOf(const SubtitleSet &set)
{
    double last = 0;
    for (int i = 0; i < set.count; ++i)
        last = std::max(last, double(set.at(i).end));
    return last;
}

// Where the text of a line may be cut: after its first sentence or clause.
double cutShare(const QString &text)
{
    for (const QChar mark :
         {QLatin1Char('.'), QLatin1Char('?'), QLatin1Char('!'), QLatin1Char(','), QLatin1Char('|')}) {
        const int at = text.indexOf(mark);
        if (at > 3 && at < text.size() - 4)
            return double(at + 1) / text.size();
    }
    return 0.5;
}

} // namespace

SourcePair differentSources(const SubtitleSet &film, unsigned seed, const SourceDifferences &d)
{
    std::mt19937 random(seed);
    const auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
    const auto chance = [&](double p) { return uniform(0, 1) < p; };
    SourcePair pair;
    // The recap: lines of another episode, before this one's start.
    for (int t = 2000; t + 3000 < d.recapMs; t += int(uniform(2500, 4500)))
        pair.upper.append(t, t + int(uniform(1200, 2500)), QStringLiteral("Previously..."));
    const double shift = d.recapMs;
    struct Line
    {
        double start, end, counterpart;
        QString text;
    };
    std::vector<Line> lower;
    for (int i = 0; i < film.count; ++i) {
        const Subtitle &s = film.at(i);
        const double start = s.start + shift;
        const double end = s.end + shift;
        const bool hasNext = i + 1 < film.count;
        if (chance(d.cueShare)) {
            const double at = start - uniform(1500, 2500);
            if (pair.upper.count == 0 || at > pair.upper.at(pair.upper.count - 1).end)
                pair.upper.append(int(at), int(at + 1000), QStringLiteral("[DOOR SLAMS]"));
        }
        pair.upper.append(int(start), int(end), s.text);
        if (chance(d.dropShare))
            continue;
        if (chance(d.cueShare))
            lower.push_back({start - uniform(1500, 2500), start - 700, -1, QStringLiteral("♪")});
        if (hasNext && chance(d.joinShare) && film.at(i + 1).start - s.end < 1000) {
            const Subtitle &next = film.at(++i);
            pair.upper.append(next.start + int(shift), next.end + int(shift), next.text);
            lower.push_back({start, next.end + shift, start, s.text + QLatin1Char('|') + next.text});
        } else if (end - start > 2500 && chance(d.splitShare)) {
            const double cut = start + (end - start) * cutShare(s.text);
            lower.push_back({start, cut, start, s.text.left(s.text.size() / 2)});
            lower.push_back({cut + 80, end, cut + 80, s.text.mid(s.text.size() / 2)});
        } else {
            lower.push_back({start, end, start, s.text});
        }
    }
    // Starts keep their order; an end runs at most to the next start.
    std::vector<double> starts;
    for (const Line &l : lower)
        starts.push_back(std::max(l.start + uniform(-d.startJitterMs, d.startJitterMs),
                                  starts.empty() ? -1e9 : starts.back() + 200));
    for (size_t i = 0; i < lower.size(); ++i) {
        double end = lower[i].end + uniform(-d.endJitterMs, d.endJitterMs);
        if (i + 1 < lower.size())
            end = std::min(end, starts[i + 1] - 40);
        pair.lower.append(int(starts[i]), int(std::max(end, starts[i] + 500)), lower[i].text);
        pair.counterpart.push_back(lower[i].counterpart);
    }
    pair.filmLength = std::max(lengthOf(pair.upper), lengthOf(pair.lower));
    pair.stretch.assign(pair.counterpart.size(), {0.0, pair.filmLength});
    return pair;
}

void SourcePair::distort(const TimeDistortion &d, bool upperSet)
{
    // A jump back is a scene this set lacks: its lines go, and the other
    // set's lines there have no counterpart left.
    std::vector<std::pair<double, double>> cuts;
    for (const auto &split : d.splits)
        if (split.second < 0)
            cuts.emplace_back(split.first * filmLength + split.second, split.first * filmLength);
    const auto inCut = [&](double t) {
        return std::any_of(cuts.begin(), cuts.end(), [&](const auto &c) { return t >= c.first && t < c.second; });
    };
    SubtitleSet &set = upperSet ? upper : lower;
    // A counterpart moves with the upper line it lies in.
    std::vector<double> upperStarts;
    for (int i = 0; i < upper.count; ++i)
        upperStarts.push_back(upper.at(i).start);
    const auto lineStartOf = [&](double t) {
        const auto next = std::upper_bound(upperStarts.begin(), upperStarts.end(), t);
        return next == upperStarts.begin() ? t : *(next - 1);
    };
    SubtitleSet kept(set.logPrefix);
    std::vector<double> keptCounterpart;
    for (int i = 0; i < set.count; ++i) {
        const Subtitle &s = set.at(i);
        if (inCut(s.start))
            continue;
        // A subtitle moves whole: one that spans a split keeps its length.
        kept.append(qint32(std::lround(d.apply(s.start, filmLength))),
                    qint32(std::lround(d.apply(s.end, filmLength, s.start))), s.text);
        if (!upperSet)
            keptCounterpart.push_back(counterpart[size_t(i)]);
    }
    std::swap(set, kept);
    if (!upperSet)
        counterpart = keptCounterpart;
    // The stretches between the splits, on the counterparts' clock.
    std::vector<double> bounds {0};
    for (const auto &split : d.splits)
        bounds.push_back(split.first * filmLength);
    bounds.push_back(1e12);
    std::sort(bounds.begin(), bounds.end());
    stretch.assign(counterpart.size(), {0.0, filmLength});
    for (size_t i = 0; i < counterpart.size(); ++i) {
        if (counterpart[i] < 0)
            continue;
        const auto next = std::upper_bound(bounds.begin(), bounds.end(), counterpart[i]);
        stretch[i] = {*(next - 1), std::min(*next, filmLength)};
        if (upperSet) {
            const double line = lineStartOf(counterpart[i]);
            counterpart[i] = inCut(line) ? -1 : d.apply(counterpart[i], filmLength, line);
        }
    }
}

void generateFilm(SubtitleSet &film, int lines, unsigned seed)
{
    std::mt19937 random(seed);
    const auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(random); };
    static const char *const texts[]
        = {"Where were you last night?",      "I told you. I was at the office, all night.",
           "The harbour closes at midnight.", "Nobody saw the ship leave, not even the guards.",
           "Then someone is lying.",          "We have to go back before dawn."};
    film.clear();
    double t = uniform(2000, 20000);
    for (int i = 0; i < lines; ++i) {
        const double length = uniform(900, 4500);
        film.append(int(t), int(t + length), QString::fromUtf8(texts[i % 6]));
        // Talk comes in scenes: short gaps, now and then a long silence.
        t += length + (i % 23 == 0 ? uniform(10000, 60000) : uniform(80, 2500));
    }
}
