#include "gui/settings.h"

#include "core/processing.h"
#include "gui/codingselector.h"
#include "gui/savename.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSettings>
#include <QSpinBox>
#include <QWidget>

#include <optional>

namespace {

constexpr int firstUpperColor = 0xffff99; // pale yellow
constexpr int firstLowerColor = 0xffffff;

struct KeyInfo
{
    Settings::Key key;
    const char *name;
    QVariant defaultValue;
};

// In the order of Settings::Key. The names are those that earlier versions
// wrote, so their settings load as they were.
const KeyInfo &info(Settings::Key key)
{
    using K = Settings::Key;
    // The processing controls start as the command-line tool does; the
    // window's first run has colours on, so that the languages differ.
    static const ProcessingOptions processing;
    static const KeyInfo table[] = {
        {K::LoadDir, "workdir/load", QStringLiteral(".")},
        {K::SaveDir, "workdir/save", QStringLiteral(".")},
        {K::ChosenCodings, "codecs", QStringList()},
        {K::UpperCoding, "select/codldup", 0},
        {K::LowerCoding, "select/codldlw", 0},
        {K::SaveCoding, "select/codsave", 0},
        {K::CodingsCountFromAutoDetect, "select/autodetect", true},
        {K::SaveFrameRate, "select/fpssave", 0},
        {K::LoadFrameRate, "select/fpsload", 0},
        {K::CharsPerSecond, "proc/charps", processing.cps},
        {K::MinimumGap, "proc/mingap", processing.gap},
        {K::Snap, "proc/snap", processing.snap},
        {K::BottomLines, "proc/botlin", processing.bottomLines},
        {K::JoinLines, "proc/joinline", processing.joinLines},
        {K::LastLineStyle, "proc/lastline", int(processing.lastLine)},
        {K::UpperPosition, "proc/upperpos", int(processing.upperPosition)},
        {K::UpperColor, "color/upper", firstUpperColor},
        {K::LowerColor, "color/lower", firstLowerColor},
        {K::ColorTags, "color/usetag", true},
        {K::CreditLine, "proc/creditline", processing.header},
        {K::RecentUpper, "recent/upper", QStringList()},
        {K::RecentLower, "recent/lower", QStringList()},
        {K::RecentUpperCoding, "recent/uppercoding", QStringList()},
        {K::RecentLowerCoding, "recent/lowercoding", QStringList()},
        {K::RecentUpperTrack, "recent/uppertrack", QStringList()},
        {K::RecentLowerTrack, "recent/lowertrack", QStringList()},
        {K::OutputSuffix, "proc/format", QStringLiteral("srt")},
        {K::TrackFormat, "proc/trackformat", QStringLiteral("ass")},
        {K::StripKinds, "strip/kinds", QStringList()},
        {K::WindowGeometry, "window/geometry", QByteArray()},
        {K::WindowSplitter, "window/splitter", QByteArray()},
        {K::Language, "ui/language", QString()},
    };
    static_assert(std::size(table) == size_t(K::Count), "one row per key");
    return table[size_t(key)];
}

// Where earlier versions stored the credit line's switch.
const QString oldCreditLineName = QStringLiteral("ver11");

} // namespace

QString Settings::name(Key key)
{
    return QLatin1String(info(key).name);
}

QVariant Settings::defaultValue(Key key)
{
    return info(key).defaultValue;
}

Settings::Settings(QSettings *store)
    : m_store(store)
{
    for (size_t i = 0; i < m_values.size(); ++i) {
        const Key key = Key(i);
        m_values[i] = m_store ? m_store->value(name(key), defaultValue(key)) : defaultValue(key);
    }
    if (m_store)
        migrate();
}

void Settings::migrate()
{
    // The credit line's switch had a name that said nothing.
    if (!m_store->contains(name(Key::CreditLine)) && m_store->contains(oldCreditLineName))
        setValue(Key::CreditLine, m_store->value(oldCreditLineName));

    // Selector indexes stored before "Auto Detect" was offered count from
    // "Auto Local", one entry later now.
    if (!m_store->contains(name(Key::CodingsCountFromAutoDetect))) {
        for (Key key : {Key::UpperCoding, Key::LowerCoding, Key::SaveCoding}) {
            if (m_store->contains(name(key)))
                setValue(key, qint64(value(key).toInt()) + 1);
        }
    }
    setValue(Key::CodingsCountFromAutoDetect, true);

    // Only a format Process & Save offers may come back as its choice.
    if (!isMergeSuffix(value(Key::OutputSuffix).toString()))
        setValue(Key::OutputSuffix, defaultValue(Key::OutputSuffix));
    const QString trackFormat = value(Key::TrackFormat).toString();
    if (trackFormat != QLatin1String("ass") && trackFormat != QLatin1String("srt"))
        setValue(Key::TrackFormat, defaultValue(Key::TrackFormat));

    // Earlier versions let a hand-edited store, or "Add / Remove", put a
    // selector's own entries among the chosen codings.
    QStringList chosen = value(Key::ChosenCodings).toStringList();
    CodingSelector::clean(chosen);
    setValue(Key::ChosenCodings, chosen);
}

void Settings::store()
{
    if (!m_store)
        return;
    for (size_t i = 0; i < m_values.size(); ++i)
        m_store->setValue(name(Key(i)), m_values[i]);
    m_store->remove(oldCreditLineName);
    m_store->sync();
}

namespace {

// The key a control's "setting" property names, or none.
std::optional<Settings::Key> keyOf(const QWidget *control)
{
    const QString name = control->property("setting").toString();
    for (int i = 0; !name.isEmpty() && i < int(Settings::Key::Count); ++i) {
        if (Settings::name(Settings::Key(i)) == name)
            return Settings::Key(i);
    }
    return std::nullopt;
}

} // namespace

void Settings::showIn(const QWidget *form) const
{
    for (QWidget *control : form->findChildren<QWidget *>()) {
        const std::optional<Key> key = keyOf(control);
        if (!key)
            continue;
        const QVariant stored = value(*key);
        if (auto *box = qobject_cast<QSpinBox *>(control)) {
            box->setValue(stored.toInt());
        } else if (auto *check = qobject_cast<QCheckBox *>(control)) {
            check->setChecked(stored.toBool());
        } else if (auto *list = qobject_cast<QComboBox *>(control)) {
            if (stored.toInt() >= 0 && stored.toInt() < list->count())
                list->setCurrentIndex(stored.toInt());
        }
    }
}

void Settings::takeFrom(const QWidget *form)
{
    for (QWidget *control : form->findChildren<QWidget *>()) {
        const std::optional<Key> key = keyOf(control);
        if (!key)
            continue;
        if (auto *box = qobject_cast<QSpinBox *>(control))
            setValue(*key, box->value());
        else if (auto *check = qobject_cast<QCheckBox *>(control))
            setValue(*key, check->isChecked());
        else if (auto *list = qobject_cast<QComboBox *>(control))
            setValue(*key, list->currentIndex());
    }
}

ProcessingOptions Settings::processingOptions() const
{
    ProcessingOptions o;
    o.cps = value(Key::CharsPerSecond).toInt();
    o.gap = value(Key::MinimumGap).toInt();
    o.snap = value(Key::Snap).toInt();
    o.bottomLines = value(Key::BottomLines).toInt();
    o.joinLines = value(Key::JoinLines).toBool();
    o.lastLine = LastLineStyle(qBound(0, value(Key::LastLineStyle).toInt(), 2));
    o.colorTags = value(Key::ColorTags).toBool();
    o.upperColor = value(Key::UpperColor).toInt();
    o.lowerColor = value(Key::LowerColor).toInt();
    o.header = value(Key::CreditLine).toBool();
    o.upperPosition = UpperPosition(qBound(0, value(Key::UpperPosition).toInt(), 1));
    return o;
}
