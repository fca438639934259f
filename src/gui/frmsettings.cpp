#include "gui/frmsettings.h"

#include "core/settings.h"
#include "gui/paint.h"
#include "gui/servicepage.h"
#include "gui/windowhelper.h"
#include "platform/prompter.h"
#include "platform/textrules.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace ruvia {

namespace {
QWidget* page(QTabWidget* tabs, const QString& title)
{
    auto* w = new QWidget(tabs);
    auto* grid = new QGridLayout(w);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(20, 1);
    tabs->addTab(w, title);
    return w;
}
} // namespace

frmSettings::frmSettings(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(MakeWindowTitle(QStringLiteral("Settings")));
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("vsiMain"));
    layout->addWidget(m_tabs);

    QWidget* misc = page(m_tabs, QStringLiteral("Misc"));
    QWidget* pictures = page(m_tabs, QStringLiteral("Pictures list"));
    QWidget* uploading = page(m_tabs, QStringLiteral("Uploading"));
    QWidget* security = page(m_tabs, QStringLiteral("Security"));
    m_service = new ServicePage(m_tabs);
    m_tabs->addTab(m_service, QStringLiteral("Service"));

    m_timeout = numberField(misc, QStringLiteral("txtTimeout"), QStringLiteral("Network timeout:"),
                            QStringLiteral("ms."), 0);
    m_maxGroupSelection = numberField(pictures, QStringLiteral("txtMaxGroupSelection"),
                                      QStringLiteral("Max group selection:"), QString(), 0);
    m_hourglassThreshold = numberField(pictures, QStringLiteral("txtHourglassThreshold"),
                                       QStringLiteral("Hourglass threshold:"), QString(), 1);
    m_groupVisibleSlots = checkBox(pictures, QStringLiteral("chkGroupVisibleSlots"),
                                   QStringLiteral("Group visible slots (recomended)"), 2);
    m_resolvePosts = checkBox(uploading, QStringLiteral("chkUploading_ResolvePosts"),
                              QStringLiteral("Resolve posts (recomended)"), 0);
    m_downloadThumbnails = checkBox(uploading, QStringLiteral("chkUploading_DownloadThumbnails"),
                                    QStringLiteral("Download thumbnails (recomended)"), 1);
    m_copyToBase = checkBox(uploading, QStringLiteral("chkUploading_CopyUploadedFileToBase"),
                            QStringLiteral("Copy uploaded files to base (recomended)"), 2);
    m_attoFormat = checkBox(uploading, QStringLiteral("chkUploading_AttoFormat"),
                            QStringLiteral("Atto format (user@computer instead of compute\\user)"), 3);
    m_askDescription = checkBox(uploading, QStringLiteral("chkAskBeforeApplyRuviaDescriptionFile"),
                                QStringLiteral("Ask before apply .RuviaDescription file"), 4);
    m_hideStates = checkBox(uploading, QStringLiteral("chkHideTroublesomeStates"),
                            QStringLiteral("Show only \"Published\" and \"Privare\" states (recomended)"), 5);
    m_hidePreview = checkBox(security, QStringLiteral("chkHidePreview"),
                             QStringLiteral("Hide preview while Uploading window is shown"), 0);
    m_paintMode = checkBox(security, QStringLiteral("chkPaintMode"),
                           QStringLiteral("Paint mode in pictures list"), 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (ApplySettingsValues()) {
            SaveSettings();
            accept();
        }
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_tabs->setCurrentIndex(0);
    ShowSettingsValues();
    QTimer::singleShot(0, this, [this] {
        tsCenterFormEx(this);
        m_timeout->setFocus();
    });
}

QLineEdit* frmSettings::numberField(QWidget* pageWidget, const QString& name,
                                    const QString& caption, const QString& unit, int row)
{
    auto* grid = static_cast<QGridLayout*>(pageWidget->layout());
    auto* field = new QLineEdit(pageWidget);
    field->setObjectName(name);
    field->setMaximumWidth(120);
    field->installEventFilter(this);
    auto* label = new QLabel(caption, pageWidget);
    label->setBuddy(field);
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
    if (!unit.isEmpty())
        grid->addWidget(new QLabel(unit, pageWidget), row, 2);
    return field;
}

QCheckBox* frmSettings::checkBox(QWidget* pageWidget, const QString& name, const QString& caption,
                                 int row)
{
    auto* grid = static_cast<QGridLayout*>(pageWidget->layout());
    auto* box = new QCheckBox(caption, pageWidget);
    box->setObjectName(name);
    grid->addWidget(box, row, 0, 1, 3);
    return box;
}

void frmSettings::ShowSettingsValues()
{
    m_timeout->setText(QString::number(SET_Timeout));
    m_maxGroupSelection->setText(QString::number(SET_MaxGroupSelection));
    m_hourglassThreshold->setText(QString::number(SET_HourglassThreshold));
    m_groupVisibleSlots->setChecked(SET_GroupVisibleSlots);
    m_resolvePosts->setChecked(SET_ResolvePosts);
    m_downloadThumbnails->setChecked(SET_DownloadThumbnails);
    m_copyToBase->setChecked(SET_CopyUploadedFileToBase);
    m_attoFormat->setChecked(SET_AttoFormat);
    m_askDescription->setChecked(SET_AskBeforeApplyDescription);
    m_hideStates->setChecked(SET_HideTroublesomeStates);
    m_hidePreview->setChecked(SET_HidePreview);
    m_paintMode->setChecked(SET_PaintMode);
}

bool frmSettings::CheckNumberField(QLineEdit* field, int pageIndex, int minimum, qint32& value)
{
    bool ok = false;
    value = field->text().trimmed().toInt(&ok);
    if (ok && value >= minimum)
        return true;
    MsgBox(QStringLiteral("Invalid value. Minimum possible value is %1.").arg(minimum),
           MB_ICONCRITICAL);
    m_tabs->setCurrentIndex(pageIndex);
    field->setFocus();
    return false;
}

bool frmSettings::ApplySettingsValues()
{
    qint32 timeout = 0, maxSelection = 0, threshold = 0;
    if (!CheckNumberField(m_timeout, 0, 1, timeout) ||
        !CheckNumberField(m_maxGroupSelection, 1, 2, maxSelection) ||
        !CheckNumberField(m_hourglassThreshold, 1, 1, threshold))
        return false;
    QString message;
    if (QLineEdit* bad = m_service->InvalidField(message)) {
        MsgBox(message, MB_ICONCRITICAL);
        m_tabs->setCurrentWidget(m_service);
        bad->setFocus();
        return false;
    }
    // The secret store is written first: when it fails, nothing has changed.
    if (!m_service->ApplyValues())
        return false;
    SET_Timeout = timeout;
    SET_MaxGroupSelection = maxSelection;
    SET_HourglassThreshold = threshold;
    SET_GroupVisibleSlots = m_groupVisibleSlots->isChecked();
    SET_ResolvePosts = m_resolvePosts->isChecked();
    SET_DownloadThumbnails = m_downloadThumbnails->isChecked();
    SET_CopyUploadedFileToBase = m_copyToBase->isChecked();
    SET_AttoFormat = m_attoFormat->isChecked();
    SET_AskBeforeApplyDescription = m_askDescription->isChecked();
    SET_HideTroublesomeStates = m_hideStates->isChecked();
    SET_HidePreview = m_hidePreview->isChecked();
    SET_PaintMode = m_paintMode->isChecked();
    return true;
}

bool frmSettings::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        if (auto* field = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, field, [field] { tsHighlightText(field); });
    return QDialog::eventFilter(watched, event);
}

void frmSettings::paintEvent(QPaintEvent* event)
{
    tsPaintDesktop2(this);
    QDialog::paintEvent(event);
}

} // namespace ruvia
