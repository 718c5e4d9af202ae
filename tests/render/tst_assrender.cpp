// The .ass output as real players see it: libass draws the written file at
// 1920x1080 (where the texts stand, whether they meet, their colours), and
// FFmpeg's reader takes it without a warning and finds every event we wrote.
// Both come from the set-up script; when they are missing the test fails.

#include "testutil.h"

#include "core/session.h"

#include <QtTest>

#include <ass/ass.h>

#include <climits>
#include <cstdarg>
#include <cstdio>

using namespace testutil;

Q_DECLARE_METATYPE(UpperPosition)

namespace {

constexpr int frameWidth = 1920;
constexpr int frameHeight = 1080;
constexpr int lowerLineHeight = 64; // the lower style's font size at this frame height
constexpr quint32 upperRgb = 0xffff00; // yellow
constexpr quint32 lowerRgb = 0x00ffff; // cyan

// The rows covered by the glyph pixels of one fill colour.
struct Extent
{
    int top = INT_MAX;
    int bottom = -1;
    int pixels = 0;
};

struct Frame
{
    Extent upper;
    Extent lower;
    QStringList otherColors; // fills neither of the two colours nor black (outline, shadow)
};

QByteArray hex(quint32 v)
{
    return QByteArray::number(v, 16);
}

// libass tells every font it picks; only what went wrong is worth a line.
void printProblems(int level, const char *format, va_list args, void *)
{
    if (level > 1)
        return;
    std::vfprintf(stderr, format, args);
    std::fputc('\n', stderr);
}

class Renderer
{
public:
    Renderer()
    {
        m_library = ass_library_init();
        m_renderer = m_library ? ass_renderer_init(m_library) : nullptr;
        if (m_library)
            ass_set_message_cb(m_library, printProblems, nullptr);
        if (!m_renderer)
            return;
        ass_set_frame_size(m_renderer, frameWidth, frameHeight);
        ass_set_storage_size(m_renderer, frameWidth, frameHeight);
        ass_set_fonts(m_renderer, nullptr, "sans-serif", ASS_FONTPROVIDER_AUTODETECT, nullptr, 1);
    }
    ~Renderer()
    {
        if (m_track)
            ass_free_track(m_track);
        if (m_renderer)
            ass_renderer_done(m_renderer);
        if (m_library)
            ass_library_done(m_library);
    }

    bool load(const QString &path)
    {
        if (!m_renderer)
            return false;
        QByteArray name = QFile::encodeName(path);
        m_track = ass_read_file(m_library, name.data(), nullptr);
        return m_track != nullptr;
    }
    int events() const { return m_track->n_events; }

    Frame render(int ms)
    {
        Frame frame;
        int changed = 0;
        for (ASS_Image *image = ass_render_frame(m_renderer, m_track, ms, &changed); image; image = image->next) {
            const quint32 rgb = image->color >> 8;
            Extent *extent = rgb == upperRgb ? &frame.upper : rgb == lowerRgb ? &frame.lower : nullptr;
            if (!extent) {
                if (rgb != 0)
                    frame.otherColors << QString::fromLatin1(hex(rgb));
                continue;
            }
            for (int y = 0; y < image->h; ++y) {
                for (int x = 0; x < image->w; ++x) {
                    if (image->bitmap[y * image->stride + x] < 128)
                        continue;
                    ++extent->pixels;
                    extent->top = qMin(extent->top, image->dst_y + y);
                    extent->bottom = qMax(extent->bottom, image->dst_y + y);
                }
            }
        }
        return frame;
    }

private:
    ASS_Library *m_library = nullptr;
    ASS_Renderer *m_renderer = nullptr;
    ASS_Track *m_track = nullptr;
};

} // namespace

class TestAssRender : public QObject, SessionFixture
{
    Q_OBJECT

    // Both sets written as .ass through Process & Save; the number of events.
    int saveAss(const QStringList &upper, const QStringList &lower, UpperPosition position, const QString &name)
    {
        fillSet(session.upper, upper);
        fillSet(session.lower, lower);
        session.options.upperColor = int(upperRgb);
        session.options.lowerColor = int(lowerRgb);
        session.options.upperPosition = position;
        session.options.header = false;
        session.process(SubtitleFormat::Ass);
        log.clear();
        if (!session.saveFile(session.merged, path(name), QStringLiteral("UTF-8"), 25000))
            return -1;
        return log.lines.last().section(QLatin1Char(' '), 1, 1).toInt();
    }

private slots:
    // At a time where both languages speak the lower text lies at the bottom
    // and the upper one directly over it, or in the top fifth; the two never
    // meet, whatever the number of lower lines; where one speaks, only its
    // text is there. Both in their own colours.
    void placement_data()
    {
        QTest::addColumn<QString>("upper"); // shown from 1 s to 4 s; empty: none
        QTest::addColumn<QString>("lower");
        QTest::addColumn<UpperPosition>("position");
        const QString two = QStringLiteral("Ich flehe euch an,|mich zu rehabilitieren.");
        const QString three = QStringLiteral("FUNK:|Einheit vier,|melden Sie Ihre Position.");
        const QString wrapped = QStringLiteral("Das ist eine sehr lange Zeile, die der Renderer auf dem Bildschirm "
                                               "umbrechen muss, weil sie nicht passt.");
        const QString upper = QStringLiteral("Where did you park the van?");
        const UpperPosition above = UpperPosition::Above;
        const UpperPosition top = UpperPosition::Top;
        row("above, one lower line", upper, QStringLiteral("Halt!"), above);
        row("above, two lower lines", upper, two, above);
        row("above, three lower lines", QStringLiteral("[crowd]|<i>Strike him down!</i>"), three, above);
        row("above, a lower line the renderer wraps", upper, wrapped, above);
        row("top, three lower lines", upper, three, top);
        row("top, two upper lines", QStringLiteral("[crowd]|Strike him down!"), QStringLiteral("Nieder!"), top);
        row("above, only the upper one", upper, QString(), above);
        row("top, only the upper one", upper, QString(), top);
        row("above, only the lower one", QString(), two, above);
    }
    void placement()
    {
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        QFETCH(UpperPosition, position);
        const auto set = [](const QString &text) {
            return text.isEmpty() ? QStringList() : QStringList {QStringLiteral("1000/4000 ") + text};
        };
        QVERIFY(saveAss(set(upper), set(lower), position, QStringLiteral("placement.ass")) > 0);
        Renderer renderer;
        QVERIFY2(renderer.load(path(QStringLiteral("placement.ass"))), "libass could not read the file");
        const Frame frame = renderer.render(2500);

        QVERIFY2(frame.otherColors.isEmpty(), qPrintable(frame.otherColors.join(QLatin1Char(' '))));
        QCOMPARE(frame.upper.pixels > 0, !upper.isEmpty());
        QCOMPARE(frame.lower.pixels > 0, !lower.isEmpty());
        const Extent &bottomText = lower.isEmpty() ? frame.upper : frame.lower;
        if (!lower.isEmpty() || position == UpperPosition::Above) {
            QVERIFY2(bottomText.top > frameHeight / 2, qPrintable(QString::number(bottomText.top)));
            QVERIFY2(bottomText.bottom > frameHeight * 9 / 10, qPrintable(QString::number(bottomText.bottom)));
        }
        if (upper.isEmpty())
            return;
        if (position == UpperPosition::Top) {
            QVERIFY2(frame.upper.bottom < frameHeight / 5, qPrintable(QString::number(frame.upper.bottom)));
        } else if (!lower.isEmpty()) {
            const int gap = frame.lower.top - frame.upper.bottom;
            QVERIFY2(gap > 0 && gap < lowerLineHeight,
                     qPrintable(QStringLiteral("upper %1-%2, lower %3-%4")
                                    .arg(frame.upper.top)
                                    .arg(frame.upper.bottom)
                                    .arg(frame.lower.top)
                                    .arg(frame.lower.bottom)));
        }
    }

    // The small pair with its tags: libass and FFmpeg's reader find as many
    // events as were written, FFmpeg says nothing on standard error, and its
    // own ASS writer gives the same events back.
    void ffmpegReadsWhatWasWritten()
    {
        QVERIFY(session.loadFile(session.upper, fixture(QStringLiteral("ass_upper.srt")), QStringLiteral("UTF-8"), 0,
                                 false));
        QVERIFY(session.loadFile(session.lower, fixture(QStringLiteral("ass_lower.sub")), QStringLiteral("UTF-8"), 0,
                                 false));
        session.options.header = true;
        session.process(SubtitleFormat::Ass);
        log.clear();
        const QString file = path(QStringLiteral("pair.ass"));
        QVERIFY(session.saveFile(session.merged, file, QStringLiteral("UTF-8"), 25000));
        const int written = log.lines.last().section(QLatin1Char(' '), 1, 1).toInt();
        QCOMPARE(written, 12);

        Renderer renderer;
        QVERIFY(renderer.load(file));
        QCOMPARE(renderer.events(), written);

        const FfmpegReading read = readWithFfmpeg(file, path(QStringLiteral("copy.ass")));
        QVERIFY2(read.problems.isEmpty(), qPrintable(read.problems));
        QCOMPARE(read.packets, written);
        QCOMPARE(read.events.size(), written);
    }
};

QTEST_GUILESS_MAIN(TestAssRender)
#include "tst_assrender.moc"
