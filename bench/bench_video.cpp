// Subtitle tracks of a large video: listing them, reading one, writing the
// copy with the merged track, and the peak memory of the whole merge, against
// ffmpeg doing the same reading and copying in the same run. The film (about
// 2 GB, a Matroska file with a video, an audio and three text tracks) is made
// here from a two-minute clip that ffmpeg loops, in a work directory under
// TMPDIR (or /tmp) that is removed at the end.
// Usage: bench_video [runs] [size in MB]   (5 runs and 2048 MB by default)

#include "processbench.h"

#include "media/videocopy.h"
#include "media/videofile.h"

#include <QByteArray>
#include <QString>

#include <cmath>

using namespace bench;

namespace {

constexpr int clipSeconds = 120;

std::string timeText(int ms, bool subStation)
{
    char text[32];
    if (subStation)
        std::snprintf(text, sizeof text, "%d:%02d:%02d.%02d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                      ms / 10 % 100);
    else
        std::snprintf(text, sizeof text, "%02d:%02d:%02d,%03d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                      ms % 1000);
    return text;
}

// A subtitle every three seconds of the clip, in each language of the generated pair.
bool writeTracks()
{
    std::string english, spanish, german;
    german = "[Script Info]\nScriptType: v4.00+\nPlayResX: 1280\nPlayResY: 720\n\n[V4+ Styles]\n"
             "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, "
             "Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, "
             "MarginL, MarginR, MarginV, Encoding\n"
             "Style: Default,Arial,40,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,0,0,1,2,0,2,20,20,"
             "20,1\n\n[Events]\n"
             "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n";
    for (int i = 0; i < clipSeconds / 3; ++i) {
        const Span span = pairSpan(i, false);
        std::string upper = upperLines[i % 6], lower = lowerLines[i % 6];
        std::replace(upper.begin(), upper.end(), '|', '\n');
        std::replace(lower.begin(), lower.end(), '|', '\n');
        const std::string times = timeText(span.start, false) + " --> " + timeText(span.end, false) + '\n';
        english += std::to_string(i + 1) + '\n' + times + upper + "\n\n";
        spanish += std::to_string(i + 1) + '\n' + times + lower + "\n\n";
        german += "Dialogue: 0," + timeText(span.start, true) + ',' + timeText(span.end, true)
            + ",Default,,0,0,0,,Zeile " + std::to_string(i + 1) + "\\Nzweite Zeile\n";
    }
    std::ofstream("eng.srt") << english;
    std::ofstream("spa.srt") << spanish;
    std::ofstream("ger.ass") << german;
    return fs::file_size("ger.ass") > 0;
}

bool runOnce(const std::vector<std::string> &argv, const std::string &output)
{
    Command c = command(argv, output, "make");
    run(c, true);
    return !c.failed && c.lastExit == 0;
}

// The clip, then the film: the clip looped until the film is `bytes` large.
bool makeFilm(const std::string &ffmpeg, long long bytes)
{
    if (!writeTracks())
        return false;
    const std::string seconds = std::to_string(clipSeconds);
    if (!runOnce({ffmpeg,
                  "-v",
                  "error",
                  "-y",
                  "-f",
                  "lavfi",
                  "-i",
                  "testsrc2=s=1280x720:r=24:d=" + seconds,
                  "-f",
                  "lavfi",
                  "-i",
                  "sine=frequency=440:sample_rate=48000:duration=" + seconds,
                  "-i",
                  "eng.srt",
                  "-i",
                  "spa.srt",
                  "-i",
                  "ger.ass",
                  "-map",
                  "0",
                  "-map",
                  "1",
                  "-map",
                  "2",
                  "-map",
                  "3",
                  "-map",
                  "4",
                  "-c:v",
                  "mpeg4",
                  "-b:v",
                  "2000k",
                  "-c:a",
                  "aac",
                  "-b:a",
                  "128k",
                  "-c:s:0",
                  "srt",
                  "-c:s:1",
                  "srt",
                  "-c:s:2",
                  "ass",
                  "-metadata:s:s:0",
                  "language=eng",
                  "-metadata:s:s:1",
                  "language=spa",
                  "-metadata:s:s:2",
                  "language=ger",
                  "clip.mkv"},
                 "clip.mkv"))
        return false;
    const long long clip = (long long)fs::file_size("clip.mkv");
    const long long loops = std::max(0LL, (bytes + clip - 1) / clip - 1);
    return runOnce({ffmpeg, "-v", "error", "-y", "-stream_loop", std::to_string(loops), "-i", "clip.mkv", "-map", "0",
                    "-c", "copy", "film.mkv"},
                   "film.mkv");
}

double cpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// An in-process step timed as the commands are: wall time, CPU time.
struct Step
{
    std::string label;
    std::vector<double> ms, cpu;
    bool failed = false;

    template<typename Work> void time(Work work)
    {
        const double start = now(), startCpu = cpuMs();
        failed = !work() || failed;
        ms.push_back(now() - start);
        cpu.push_back(cpuMs() - startCpu);
    }
};

void printLine(const std::string &label, const std::vector<double> &ms, const std::vector<double> &cpu, bool failed)
{
    if (failed || ms.empty()) {
        std::printf("  %-52s failed\n", label.c_str());
        return;
    }
    std::printf("  %-52s %9.1f ms median (%.1f-%.1f), CPU %.1f ms\n", label.c_str(), median(ms),
                *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()), median(cpu));
}

void printCommand(const Command &c)
{
    printLine(c.label, c.ms, c.cpuMs, c.failed);
}

void printRatio(double tool, double peer, double target)
{
    const double ratio = tool / peer;
    std::printf("  ratio %.2f   target <= %.2f: %s\n", ratio, target, ratio <= target ? "met" : "MISSED");
}

} // namespace

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const long long megabytes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2048;
    const std::string cli = CLI_PATH;
    const std::optional<std::string> ffmpeg = findOnPath("ffmpeg");
    if (access(cli.c_str(), X_OK) != 0 || !ffmpeg) {
        std::fprintf(stderr, "needs %s built and ffmpeg on PATH\n", cli.c_str());
        return 1;
    }
    const char *tmp = std::getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/bench_video.XXXXXX";
    if (!mkdtemp(dir.data()) || chdir(dir.c_str()) != 0) {
        std::fprintf(stderr, "cannot make a work directory %s\n", dir.c_str());
        return 1;
    }
    std::printf("making a film of %lld MB in %s ...\n", megabytes, dir.c_str());
    std::fflush(stdout);
    const double made = now();
    if (!makeFilm(*ffmpeg, megabytes * 1024 * 1024)) {
        std::fprintf(stderr, "ffmpeg could not make the film; see %s/make.log\n", dir.c_str());
        return 1;
    }
    std::printf("film.mkv: %.0f MB, made in %.0f s\n", fs::file_size("film.mkv") / 1048576.0, (now() - made) / 1000);

    // The merged track both copies add: the tool's own merge of two tracks.
    Command merge
        = command({cli, "merge", "film.mkv", "film.mkv", "merged.ass", "--upper-track", "eng", "--lower-track", "spa"},
                  "merged.ass", "merge-ass");
    run(merge, true);
    if (merge.failed) {
        std::fprintf(stderr, "the merge failed: %s\n", readFile(merge.log).c_str());
        return 1;
    }
    media::AddedTrack track;
    track.document = QByteArray::fromStdString(readFile("merged.ass"));
    track.title = QStringLiteral("English + Spanish");

    media::VideoFile listed;
    QString error;
    if (!listed.open(QStringLiteral("film.mkv"), &error)) {
        std::fprintf(stderr, "cannot list film.mkv: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("tracks:\n");
    for (const media::Track &t : listed.tracks())
        std::printf("  %s\n", t.description().toUtf8().constData());

    Step list {"listing the tracks (in the process)", {}, {}};
    Step copy {"writing the copy (in the process)", {}, {}};
    // Its standard output, the listing, goes to its log.
    Command listTool = command({cli, "tracks", "film.mkv"}, "tracks.log", "tracks");
    Command readTool = command({cli, "convert", "film.mkv", "cli.srt", "--track", "spa"}, "cli.srt", "cli-read");
    Command readPeer = command({*ffmpeg, "-v", "error", "-y", "-i", "film.mkv", "-map", "0:s:1", "ffmpeg.srt"},
                               "ffmpeg.srt", "ffmpeg-read");
    Command copyPeer = command({*ffmpeg, "-v", "error", "-y", "-i", "film.mkv", "-i", "merged.ass", "-map", "0", "-map",
                                "1", "-c", "copy", "ffmpeg.mkv"},
                               "ffmpeg.mkv", "ffmpeg-copy");
    Command mergeTool
        = command({cli, "merge", "film.mkv", "film.mkv", "cli.mkv", "--upper-track", "eng", "--lower-track", "spa"},
                  "cli.mkv", "cli-merge");

    // A warm-up round first; the tool and ffmpeg take turns at going first.
    for (int round = 0; round <= runs; ++round) {
        const bool counted = round > 0;
        const bool peerFirst = round % 2;
        Step scratch;
        Step &listStep = counted ? list : scratch;
        listStep.time([] {
            media::VideoFile file;
            QString error;
            return file.open(QStringLiteral("film.mkv"), &error) && file.tracks().size() == 3;
        });
        run(listTool, counted);
        if (peerFirst)
            run(readPeer, counted);
        run(readTool, counted);
        if (!peerFirst)
            run(readPeer, counted);
        if (peerFirst)
            run(copyPeer, counted);
        std::remove("copy.mkv");
        Step &copyStep = counted ? copy : scratch;
        copyStep.time([&track] {
            return media::writeVideoCopy(QStringLiteral("film.mkv"), QStringLiteral("copy.mkv"), track).result
                == media::CopyOutcome::Ok;
        });
        if (!peerFirst)
            run(copyPeer, counted);
        std::remove("ffmpeg.mkv");
        std::remove("cli.mkv");
        if (round == runs)
            run(mergeTool, true);
        std::printf("round %d of %d done\n", round, runs);
        std::fflush(stdout);
    }

    std::printf("\nmedians of %d runs (min-max); commands are whole processes\n", runs);
    std::printf("\nlisting the tracks of a %.0f MB file\n", fs::file_size("film.mkv") / 1048576.0);
    printLine(list.label, list.ms, list.cpu, list.failed);
    printCommand(listTool);
    if (!list.ms.empty())
        std::printf("  target < 200 ms: %s\n", median(list.ms) < 200 ? "met" : "MISSED");

    const auto blocks = [](const std::string &file) {
        const std::string text = readFile(file);
        int n = 0;
        for (size_t at = text.find(" --> "); at != std::string::npos; at = text.find(" --> ", at + 1))
            ++n;
        return n;
    };
    std::printf("\nreading one text track (%d subtitles written by the tool, %d by ffmpeg)\n", blocks("cli.srt"),
                blocks("ffmpeg.srt"));
    printCommand(readTool);
    printCommand(readPeer);
    if (!readTool.failed && !readPeer.failed)
        printRatio(median(readTool.ms), median(readPeer.ms), 1.5);

    std::printf("\nwriting the copy with the merged track\n");
    printLine(copy.label, copy.ms, copy.cpu, copy.failed);
    printCommand(copyPeer);
    if (!copy.failed && !copyPeer.failed)
        printRatio(median(copy.ms), median(copyPeer.ms), 1.2);

    std::printf("\nthe whole merge into a copy (two tracks read, the copy written), one run\n");
    printCommand(mergeTool);
    std::printf("\npeak memory (largest max RSS of any run)\n");
    std::printf("  twinscript-cli merge into a copy %8.1f MB   target < 100 MB: %s\n", mergeTool.peakKb / 1024.0,
                mergeTool.peakKb > 0 && mergeTool.peakKb < 100 * 1024 ? "met" : "MISSED");
    std::printf("  twinscript-cli reading a track   %8.1f MB\n", readTool.peakKb / 1024.0);
    std::printf("  ffmpeg reading a track           %8.1f MB\n", readPeer.peakKb / 1024.0);
    std::printf("  ffmpeg writing the copy          %8.1f MB\n", copyPeer.peakKb / 1024.0);

    const bool failed = list.failed || copy.failed || readTool.failed || readPeer.failed || copyPeer.failed
        || mergeTool.failed || listTool.failed;
    if (chdir("/") == 0)
        fs::remove_all(dir);
    return failed ? 1 : 0;
}
