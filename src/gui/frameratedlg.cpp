#include "gui/frameratedlg.h"

#include "core/formats.h"
#include "gui/prompts.h"

#include "ui_frameratedlg.h"

#include <QFileInfo>

#include <algorithm>
#include <iterator>

QString frameRateEntry(int rate)
{
    // The television systems that use the rate, as people know them.
    const char *system = rate == 25000 ? " PAL" : rate == 23976 || rate == 29970 ? " NTSC" : "";
    return QString::number(rate / 1000.0, 'f', 3) + QLatin1String(system);
}

FrameRateDlg::FrameRateDlg(const QString &path, int index, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::FrameRateDlg)
{
    ui->setupUi(this);
    ui->questionLabel->setText(tr("Frame rate of %1").arg(QFileInfo(path).fileName()));
    for (const int rate : microDvdFrameRates)
        ui->frameRateBox->addItem(frameRateEntry(rate));
    ui->frameRateBox->setCurrentIndex(index >= 0 && index < ui->frameRateBox->count() ? index : 0);
}

FrameRateDlg::~FrameRateDlg() = default;

int FrameRateDlg::index() const
{
    return qMax(0, ui->frameRateBox->currentIndex());
}

int FrameRateDlg::rate() const
{
    return microDvdFrameRates[qMin(index(), int(std::size(microDvdFrameRates)) - 1)];
}

int askFrameRate(QWidget *parent, const QString &path, int declaredRate, int *index)
{
    const int *const rates = std::begin(microDvdFrameRates);
    const int *const declared = std::find(rates, std::end(microDvdFrameRates), declaredRate);
    if (declared != std::end(microDvdFrameRates))
        *index = int(declared - rates);
    FrameRateDlg dialog(path, *index, parent);
    if (prompts().run(dialog) != QDialog::Accepted)
        return 0;
    *index = dialog.index();
    return dialog.rate();
}
