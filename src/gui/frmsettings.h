#pragma once
// The global settings dialog: five pages; Ok checks the three numbers and
// the redirect address, applies every value and saves at once; Cancel
// changes nothing.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QTabWidget;

namespace ruvia {

class ServicePage;

class frmSettings : public QDialog {
    Q_OBJECT
public:
    explicit frmSettings(QWidget* parent = nullptr);
    void ShowSettingsValues();
    bool ApplySettingsValues();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool CheckNumberField(QLineEdit* field, int page, int minimum, qint32& value);
    QLineEdit* numberField(QWidget* page, const QString& name, const QString& caption,
                           const QString& unit, int row);
    QCheckBox* checkBox(QWidget* page, const QString& name, const QString& caption, int row);

    QTabWidget* m_tabs;
    QLineEdit* m_timeout;
    QLineEdit* m_maxGroupSelection;
    QLineEdit* m_hourglassThreshold;
    QCheckBox* m_groupVisibleSlots;
    QCheckBox* m_resolvePosts;
    QCheckBox* m_downloadThumbnails;
    QCheckBox* m_copyToBase;
    QCheckBox* m_attoFormat;
    QCheckBox* m_askDescription;
    QCheckBox* m_hideStates;
    QCheckBox* m_hidePreview;
    QCheckBox* m_paintMode;
    ServicePage* m_service;
};

} // namespace ruvia
