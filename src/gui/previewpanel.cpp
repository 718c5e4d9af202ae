#include "gui/previewpanel.h"

#include "core/colors.h"
#include "core/merge.h"
#include "core/session.h"
#include "core/tags.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QTextDocument>

#include <algorithm>

namespace {

constexpr int colorMask = 0xffffff;
constexpr int channelShifts[3] = {16, 8, 0}; // red, green, blue
constexpr int largestPreviewPoints = 18;
constexpr int smallestPreviewPoints = 7;

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

// The merged frame at the current subtitle's start, stacked as Process &
// Save will stack it, on a black picture at the bottom.
void PreviewPanel::showFrame(const ProcessingOptions &options)
{
    QLabel *preview = m_widgets.mergedFrame;
    const int pixels = qMax(8, preview->height() / 12);
    QString html;
    if (m_outputSuffix == QLatin1String("ass")) {
        // Styles, not fillers: each language in its colour, the upper one
        // directly above the lower one or at the top of the picture.
        ProcessingOptions o = options;
        o.colorTags = true;
        o.bottomLines = 0;
        o.joinLines = false;
        const SubtitleSet none {QString()};
        QString upper = frameAt(m_session.upper, none, m_frameTime, o);
        if (upper.endsWith(QLatin1Char('|')))
            upper.chop(1);
        const QString lower = frameAt(none, m_session.lower, m_frameTime, o);
        QStringList parts;
        if (!upper.isEmpty())
            parts << subtitleHtml(upper, true);
        if (o.upperPosition == UpperPosition::Top) {
            const int room = preview->height() / qMax(1, int(pixels * 1.25));
            const int used = (upper.isEmpty() ? 0 : upper.count(QLatin1Char('|')) + 1)
                + (lower.isEmpty() ? 0 : lower.count(QLatin1Char('|')) + 1);
            for (int i = used; i < room; ++i)
                parts << QStringLiteral("&nbsp;");
        }
        if (!lower.isEmpty())
            parts << subtitleHtml(lower, true);
        html = parts.join(QLatin1String("<br>"));
    } else {
        const QString frame = frameAt(m_session.upper, m_session.lower, m_frameTime, options);
        html = subtitleHtml(frame, true);
        // Empty filler lines must keep their height.
        html.replace(QLatin1String("<b> </b>"), QLatin1String("&nbsp;"));
        html.replace(QLatin1String("<br><br>"), QLatin1String("<br>&nbsp;<br>"));
    }
    preview->setStyleSheet(
        QStringLiteral("QLabel { background-color : black; color : #ffffff; font: %1px; }").arg(pixels));
    preview->setText(html);
}
