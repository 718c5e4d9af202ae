#include "gui/previewpanel.h"

#include "core/colors.h"
#include "core/logsink.h"
#include "core/session.h"
#include "core/tags.h"
#include "gui/prompts.h"
#include "gui/settings.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QLabel>
#include <QSlider>
#include <QTextDocument>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int colorMask = 0xffffff;
constexpr int channelShifts[3] = {16, 8, 0}; // red, green, blue
constexpr int largestPreviewPoints = 18;
constexpr int smallestPreviewPoints = 7;
constexpr int swatchSize = 14;
// The merged frame is drawn as a picture twelve text lines tall, as players
// size subtitles by the picture; a line takes a quarter more than its font.
constexpr int frameLinesTall = 12;
constexpr int smallestFramePixels = 8;
constexpr double lineSpacing = 1.25;

int framePixels(const QLabel *frame)
{
    return qMax(smallestFramePixels, frame->height() / frameLinesTall);
}

// The largest size up to 18 points at which the label's text fits it.
int fittingPointSize(const QLabel *label)
{
    QTextDocument document;
    document.setHtml(label->text());
    const QString plain = document.toPlainText();
    const QStringList lines = plain.split(QChar(QChar::LineSeparator)).join(QLatin1Char('\n')).split(QLatin1Char('\n'));
    const QSize room = label->contentsRect().size() - QSize(4, 4);
    QFont font = label->font();
    int points = largestPreviewPoints;
    for (; points > smallestPreviewPoints; --points) {
        font.setPointSize(points);
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString &line : lines)
            widest = qMax(widest, metrics.horizontalAdvance(line));
        if (widest <= room.width() && metrics.lineSpacing() * lines.size() <= room.height())
            break;
    }
    return points;
}

} // namespace

QString subtitleHtml(QString text, bool angleTags)
{
    if (!angleTags)
        convertTags(text, true);
    static const QStringList kept {"i>", "/i>", "b>", "/b>", "u>", "/u>", "font ", "/font>"};
    QString html;
    html.reserve(text.size() + 16);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('<')) {
            const QStringRef rest = text.midRef(i + 1);
            const bool tag = std::any_of(kept.begin(), kept.end(),
                                         [&](const QString &k) { return rest.startsWith(k, Qt::CaseInsensitive); });
            const int close = text.indexOf(QLatin1Char('>'), i);
            if (tag && close > i) {
                html += text.midRef(i, close - i + 1);
                i = close;
                continue;
            }
            html += QLatin1String("&lt;");
        } else if (c == QLatin1Char('>')) {
            html += QLatin1String("&gt;");
        } else if (c == QLatin1Char('&')) {
            html += QLatin1String("&amp;");
        } else if (c == QLatin1Char('|')) {
            html += QLatin1String("<br>");
        } else {
            html += c;
        }
    }
    return html;
}

PreviewPanel::PreviewPanel(const Widgets &widgets, const Session &session, QObject *parent)
    : QObject(parent)
    , m_widgets(widgets)
    , m_session(session)
{
    for (QLabel *label : {m_widgets.upperText, m_widgets.lowerText})
        label->setTextFormat(Qt::RichText);
    for (int side = 0; side < 2; ++side) {
        QSlider *const *sliders = side == 0 ? m_widgets.upperSliders : m_widgets.lowerSliders;
        for (int c = 0; c < 3; ++c)
            connect(sliders[c], &QSlider::valueChanged, this,
                    [this, side, c](int value) { setChannel(side, channelShifts[c], value); });
    }
    for (int side = 0; side < 2; ++side)
        connect(m_widgets.swatches[side], &QToolButton::clicked, this, [this, side] { chooseColor(side); });
    connect(m_widgets.colorTags, &QCheckBox::toggled, this, [this](bool checked) {
        m_widgets.upperText->setEnabled(checked);
        m_widgets.lowerText->setEnabled(checked);
        syncSliders();
        refreshColors();
        emit colorsChanged();
    });
    syncSliders();
}

void PreviewPanel::setColors(int upper, int lower)
{
    m_colors[0] = upper & colorMask;
    m_colors[1] = lower & colorMask;
    syncSliders();
    refreshColors();
    emit colorsChanged();
}

void PreviewPanel::restore(const Settings &settings)
{
    setColors(settings.value(Settings::Key::UpperColor).toInt(), settings.value(Settings::Key::LowerColor).toInt());
    setOutputSuffix(settings.value(Settings::Key::OutputSuffix).toString());
}

void PreviewPanel::store(Settings &settings) const
{
    settings.setValue(Settings::Key::UpperColor, m_colors[0]);
    settings.setValue(Settings::Key::LowerColor, m_colors[1]);
}

void PreviewPanel::showSubtitle(bool upperSet, const Subtitle *subtitle)
{
    QLabel *label = upperSet ? m_widgets.upperText : m_widgets.lowerText;
    if (subtitle)
        label->setText(subtitleHtml(subtitle->text, subtitle->angleTags));
    else
        label->clear();
}

// While colour tags are off the sliders show 0, and the stored colours must
// survive that: a slider changes its channel only while they are on.
void PreviewPanel::setChannel(int side, int shift, int value)
{
    if (!m_widgets.colorTags->isChecked())
        return;
    int &color = m_colors[side];
    color = (color & colorMask & ~(0xff << shift)) | ((value & 0xff) << shift);
    refreshColors();
    emit colorsChanged();
}

// Choosing a colour is asking for colour tags.
void PreviewPanel::chooseColor(int side)
{
    QColorDialog dialog(QColor(QRgb(m_colors[side])), m_widgets.mergedFrame->window());
    if (prompts().run(dialog) != QDialog::Accepted)
        return;
    m_colors[side] = int(dialog.currentColor().rgb() & colorMask);
    if (m_widgets.colorTags->isChecked()) {
        syncSliders();
        refreshColors();
        emit colorsChanged();
    } else {
        m_widgets.colorTags->setChecked(true);
    }
}

void PreviewPanel::syncSliders()
{
    const bool on = m_widgets.colorTags->isChecked();
    for (int side = 0; side < 2; ++side) {
        QSlider *const *sliders = side == 0 ? m_widgets.upperSliders : m_widgets.lowerSliders;
        // Each value runs its slider's slot, which writes the same channel back.
        for (int c = 0; c < 3; ++c) {
            sliders[c]->setValue(on ? (m_colors[side] >> channelShifts[c]) & 0xff : 0);
            sliders[c]->setEnabled(on);
        }
        QPixmap swatch(swatchSize, swatchSize);
        swatch.fill(QColor(QRgb(on ? m_colors[side] : colorMask)));
        m_widgets.swatches[side]->setIcon(swatch);
    }
}

void PreviewPanel::refreshColors()
{
    const bool on = m_widgets.colorTags->isChecked();
    const QString sheet = QStringLiteral("QLabel { background-color : %1; color : #%2; font: %3pt; }");
    for (int side = 0; side < 2; ++side) {
        QLabel *label = side == 0 ? m_widgets.upperText : m_widgets.lowerText;
        label->setStyleSheet(sheet
                                 .arg(on ? QStringLiteral("black") : QStringLiteral("grey"),
                                      on ? colorHex(m_colors[side]) : colorHex(colorMask))
                                 .arg(fittingPointSize(label)));
    }
}

void PreviewPanel::setFrameRow(bool upperSet, int row)
{
    m_frameInUpper = upperSet;
    m_frameRow = row;
}

void PreviewPanel::setOutputSuffix(const QString &suffix)
{
    if (suffix != m_outputSuffix)
        m_processed.reset();
    m_outputSuffix = suffix;
}

void PreviewPanel::setsChanged()
{
    m_processed.reset();
}

namespace {

class DiscardedLog : public LogSink
{
public:
    void write(int, const QString &) override { }
};

bool sameOptions(const ProcessingOptions &a, const ProcessingOptions &b)
{
    return a.cps == b.cps && a.gap == b.gap && a.snap == b.snap && a.bottomLines == b.bottomLines
        && a.joinLines == b.joinLines && a.lastLine == b.lastLine && a.colorTags == b.colorTags
        && a.upperColor == b.upperColor && a.lowerColor == b.lowerColor && a.header == b.header
        && a.upperPosition == b.upperPosition;
}

// The subtitle of `set` shown at `time` by its merge times, or null.
const Subtitle *shownAt(const SubtitleSet &set, int time)
{
    for (int i = 0; i < set.count; ++i) {
        const Subtitle &s = set.at(i);
        if (s.mergeStart > time)
            break;
        if (s.mergeEnd > time)
            return &s;
    }
    return nullptr;
}

} // namespace

// The preview shows what the file will: the copy goes through the same
// processing as Process & Save, so snapping, corrections and stacking agree.
const Session &PreviewPanel::processed(const ProcessingOptions &options)
{
    if (m_processed && sameOptions(options, m_processedOptions))
        return *m_processed;
    if (!m_discardedLog)
        m_discardedLog = std::make_unique<DiscardedLog>();
    m_processed = std::make_unique<Session>(*m_discardedLog);
    m_processed->upper = m_session.upper;
    m_processed->lower = m_session.lower;
    m_processed->options = options;
    const FormatInfo &format = formatInfo(formatOfFileName(QStringLiteral("x.") + m_outputSuffix));
    // The frames of a format that colours by classes are SubRip's, coloured
    // here as SubRip colours them.
    m_processed->process(format.colorClasses ? SubtitleFormat::SubRip : format.format);
    m_processedOptions = options;
    return *m_processed;
}

QString PreviewPanel::mergedFrameHtml(const Session &processed, int time) const
{
    const SubtitleSet &merged = processed.merged;
    const Subtitle *frame = nullptr;
    for (int i = 0; i < merged.count && merged.at(i).start <= time; ++i)
        frame = merged.at(i).end > time ? &merged.at(i) : nullptr;
    if (!frame)
        return QString();
    QString html = subtitleHtml(frame->text, frame->angleTags);
    // Empty filler lines must keep their height.
    html.replace(QLatin1String("<b> </b>"), QLatin1String("&nbsp;"));
    html.replace(QLatin1String("<br><br>"), QLatin1String("<br>&nbsp;<br>"));
    return html;
}

// Styles, not fillers: each language in its colour, the upper one directly
// above the lower one or at the top of the picture.
QString PreviewPanel::assFrameHtml(const Session &processed, int time, const ProcessingOptions &options) const
{
    const QLabel *preview = m_widgets.mergedFrame;
    const int pixels = framePixels(preview);
    const Subtitle *texts[2] = {shownAt(processed.upper, time), shownAt(processed.lower, time)};
    QStringList parts;
    int used = 0;
    for (int side = 0; side < 2; ++side) {
        if (!texts[side])
            continue;
        parts << QStringLiteral("<font color=#%1>%2</font>")
                     .arg(colorHex(m_colors[side]), subtitleHtml(texts[side]->text, texts[side]->angleTags));
        used += texts[side]->text.count(QLatin1Char('|')) + 1;
        if (side == 0 && options.upperPosition == UpperPosition::Top) {
            const int room = preview->height() / qMax(1, int(pixels * lineSpacing));
            for (int i = used + (texts[1] ? texts[1]->text.count(QLatin1Char('|')) + 1 : 0); i < room; ++i)
                parts << QStringLiteral("&nbsp;");
        }
    }
    return parts.join(QLatin1String("<br>"));
}

// The merged frame in which the current subtitle starts, on a black picture
// at the bottom.
void PreviewPanel::showFrame(const ProcessingOptions &options)
{
    QLabel *preview = m_widgets.mergedFrame;
    const int pixels = framePixels(preview);
    const Session &done = processed(options);
    const SubtitleSet &set = m_frameInUpper ? done.upper : done.lower;
    const int time = m_frameRow >= 0 && m_frameRow < set.count ? set.at(m_frameRow).mergeStart : -1;
    const QString html = time < 0                ? QString()
        : m_outputSuffix == QLatin1String("ass") ? assFrameHtml(done, time, options)
                                                 : mergedFrameHtml(done, time);
    preview->setStyleSheet(
        QStringLiteral("QLabel { background-color : black; color : #ffffff; font: %1px; }").arg(pixels));
    preview->setText(html);
}
