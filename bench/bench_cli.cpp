// The command-line tool against the tools a user would reach for instead:
// ffmpeg to convert SubRip, srt-mux (Debian's python3-srt) to merge two files;
// plus the tool's start-up time and the peak memory of a merge. Every run is a
// fresh process timed from spawn to exit, so loading libraries and the toolkit
// counts as the user feels it. The peers run interleaved with the tool and the
// two take turns at going first, so drift in the machine's load falls on both.
// Usage: bench_cli [runs] [OTHER_CLI]   (7 by default; scripts/setup.sh --with-bench
// installs the peers, a missing one is skipped). OTHER_CLI, another build of the
// tool (say, from before a change), runs every measure in turns with this one.

#include "processbench.h"

using namespace bench;

namespace {

constexpr int subtitleCount = 20000;

std::string timeText(int ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    return text;
}

// One language of the generated pair as a UTF-8 SubRip file.
bool writeSet(const std::string &name, int n, bool lower)
{
    std::string out;
    out.reserve(size_t(n) * 80);
    for (int i = 0; i < n; ++i) {
        const bench::Span span = bench::pairSpan(i, lower);
        std::string text = lower ? bench::lowerLines[i % 6] : bench::upperLines[i % 6];
        for (char &c : text)
            if (c == '|')
                c = '\n';
        out += std::to_string(i + 1) + '\n' + timeText(span.start) + " --> " + timeText(span.end) + '\n' + text
            + "\n\n";
    }
    std::ofstream file(name, std::ios::binary);
    file << out;
    return bool(file.flush());
}

int countOf(const std::string &text, const std::string &what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

void printTimes(const Command &c)
{
    std::printf("  %s\n", c.label.c_str());
    if (c.failed || c.ms.empty()) {
        std::printf("      failed, no figures\n");
        return;
    }
    const std::string out = readFile(c.output);
    std::printf("      %8.1f ms median (%.1f-%.1f), CPU %.1f ms   %d SubRip blocks written, exit %d\n",
                bench::median(c.ms), *std::min_element(c.ms.begin(), c.ms.end()),
                *std::max_element(c.ms.begin(), c.ms.end()), bench::median(c.cpuMs), countOf(out, " --> "), c.lastExit);
}

void printRatio(const Command &tool, const Command *peer, double target)
{
    if (!peer || tool.failed || peer->failed || tool.ms.empty() || peer->ms.empty())
        return;
    const double ratio = bench::median(tool.ms) / bench::median(peer->ms);
    std::printf("  ratio twinscript-cli / %s: %.2f   target <= %.2f: %s\n", fs::path(peer->argv[0]).filename().c_str(),
                ratio, target, ratio <= target ? "met" : "MISSED");
}

} // namespace

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::string cli = CLI_PATH;
    if (access(cli.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "%s is not built (cmake --build BUILD --target twinscript-cli)\n", cli.c_str());
        return 1;
    }
    std::optional<std::string> other;
    if (argc > 2) {
        other = fs::absolute(argv[2]).string();
        if (access(other->c_str(), X_OK) != 0) {
            std::fprintf(stderr, "%s cannot be run\n", other->c_str());
            return 1;
        }
    }
    const std::optional<std::string> ffmpeg = findOnPath("ffmpeg");
    const std::optional<std::string> srtMux = findOnPath("srt-mux");

    const char *tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench_cli.XXXXXX";
    // Relative names from here on, so the printed commands are exactly the ones run.
    if (!mkdtemp(dir.data()) || chdir(dir.c_str()) != 0) {
        std::fprintf(stderr, "cannot make a work directory %s\n", dir.c_str());
        return 1;
    }
    if (!writeSet("a.srt", subtitleCount, false) || !writeSet("b.srt", subtitleCount, true)
        || !writeSet("one.srt", 1, false)) {
        std::fprintf(stderr, "cannot write the generated files in %s\n", dir.c_str());
        return 1;
    }

    // The generated files are UTF-8, which both peers read by default; the tool reads the locale's coding unless told.
    Command cliConvert
        = command({cli, "convert", "a.srt", "cli-convert.srt", "--coding", "UTF-8", "--out-coding", "UTF-8"},
                  "cli-convert.srt", "cli-convert");
    Command cliMerge = command({cli, "merge", "a.srt", "b.srt", "cli-merge.srt", "--upper-coding", "UTF-8",
                                "--lower-coding", "UTF-8", "--out-coding", "UTF-8"},
                               "cli-merge.srt", "cli-merge");
    Command cliStart = command({cli, "convert", "one.srt", "cli-one.srt", "--coding", "UTF-8", "--out-coding", "UTF-8"},
                               "cli-one.srt", "cli-one");
    // The same command lines with the other build, each writing its own output.
    std::optional<Command> otherConvert, otherMerge, otherStart;
    if (other) {
        const auto otherOf = [&](const Command &c) {
            std::vector<std::string> argv = c.argv;
            argv[0] = *other;
            const std::string out = "other-" + c.output;
            std::replace(argv.begin(), argv.end(), c.output, out);
            return command(argv, out, "other-" + c.log.substr(0, c.log.size() - 4));
        };
        otherConvert = otherOf(cliConvert);
        otherMerge = otherOf(cliMerge);
        otherStart = otherOf(cliStart);
    }
    std::optional<Command> ffConvert, muxMerge;
    if (ffmpeg)
        ffConvert = command({*ffmpeg, "-y", "-i", "a.srt", "ffmpeg-convert.srt"}, "ffmpeg-convert.srt", "ffmpeg");
    if (srtMux)
        muxMerge = command({*srtMux, "-i", "a.srt", "-i", "b.srt", "-o", "srt-mux.srt"}, "srt-mux.srt", "srt-mux");

    std::printf("twinscript-cli against its peers: whole-process wall time, median of %d runs (min-max),\n"
                "peers interleaved, one warm-up round first; work directory %s (removed at the end)\n"
                "twinscript-cli: %s\n",
                runs, dir.c_str(), cli.c_str());
    if (other)
        std::printf("other build, in turns with it: %s\n", other->c_str());
    if (!ffmpeg)
        std::printf(
            "ffmpeg not found on PATH: the convert comparison is skipped (bash scripts/setup.sh --with-bench)\n");
    if (!srtMux)
        std::printf(
            "srt-mux not found on PATH: the merge comparison is skipped (bash scripts/setup.sh --with-bench)\n");
    std::fflush(stdout);

    auto pair = [](Command &tool, std::optional<Command> &peer, bool peerFirst, bool counted) {
        if (peer && peerFirst)
            run(*peer, counted);
        run(tool, counted);
        if (peer && !peerFirst)
            run(*peer, counted);
    };
    for (int round = 0; round <= runs; ++round) {
        const bool counted = round > 0;
        pair(cliConvert, ffConvert, round % 2, counted);
        pair(cliMerge, muxMerge, round % 2, counted);
        pair(cliStart, otherStart, round % 2, counted);
        if (otherConvert) {
            run(*otherConvert, counted);
            run(*otherMerge, counted);
        }
    }

    std::printf("\nconvert SubRip -> SubRip, %d subtitles\n", subtitleCount);
    printTimes(cliConvert);
    if (ffConvert)
        printTimes(*ffConvert);
    printRatio(cliConvert, ffConvert ? &*ffConvert : nullptr, 0.25);

    std::printf("\nmerge of 2 x %d subtitles, half of the pairs overlapping only partly\n", subtitleCount);
    printTimes(cliMerge);
    if (!cliMerge.failed)
        // Each frame the merged set had no room for is one such line in the tool's log.
        std::printf("      %d \"too many lines\" in its log (frames not written)\n",
                    countOf(readFile(cliMerge.log), "too many lines"));
    if (muxMerge)
        printTimes(*muxMerge);
    printRatio(cliMerge, muxMerge ? &*muxMerge : nullptr, 0.2);

    std::printf("\nstart-up: convert of one subtitle\n");
    printTimes(cliStart);
    if (!cliStart.failed && !cliStart.ms.empty())
        std::printf("  target < 15 ms: %s\n", bench::median(cliStart.ms) < 15 ? "met" : "MISSED");

    std::printf("\npeak memory of the merge (largest max RSS of any run)\n");
    if (!cliMerge.failed)
        std::printf("  twinscript-cli %8.1f MB   target < 40 MB: %s\n", cliMerge.peakKb / 1024.0,
                    cliMerge.peakKb < 40 * 1024 ? "met" : "MISSED");
    if (muxMerge && !muxMerge->failed)
        std::printf("  srt-mux        %8.1f MB\n", muxMerge->peakKb / 1024.0);

    if (other) {
        std::printf("\nthis build against the other (ratio of medians; peak memory: of the largest max RSS)\n");
        const struct
        {
            const char *name;
            const Command *mine, *theirs;
        } measures[] = {{"convert", &cliConvert, &*otherConvert},
                        {"merge", &cliMerge, &*otherMerge},
                        {"start-up", &cliStart, &*otherStart}};
        for (const auto &[name, mine, theirs] : measures) {
            if (mine->failed || theirs->failed || mine->ms.empty() || theirs->ms.empty())
                continue;
            std::printf("  %-8s %8.1f ms / %8.1f ms = %.3f   CPU %.3f\n", name, bench::median(mine->ms),
                        bench::median(theirs->ms), bench::median(mine->ms) / bench::median(theirs->ms),
                        bench::median(mine->cpuMs) / bench::median(theirs->cpuMs));
        }
        if (!cliMerge.failed && !otherMerge->failed)
            std::printf("  memory   %8.1f MB / %8.1f MB = %.3f\n", cliMerge.peakKb / 1024.0,
                        otherMerge->peakKb / 1024.0, double(cliMerge.peakKb) / double(otherMerge->peakKb));
    }

    const bool failed = cliConvert.failed || cliMerge.failed || cliStart.failed || (ffConvert && ffConvert->failed)
        || (muxMerge && muxMerge->failed)
        || (otherConvert && (otherConvert->failed || otherMerge->failed || otherStart->failed));
    if (chdir("/") == 0)
        fs::remove_all(dir);
    return failed ? 1 : 0;
}
