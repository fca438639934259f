#pragma once
// The links window of the open group: the list of its posts, the thumbnail
// preview, the ten template slots and the menus. It owns the group's
// traffic statistics while it is open; closing it saves the list position
// and the base, releases the group and returns to the login window.
//
// The rules live in src/links; this class holds the controls, forwards the
// events and shows what the rules say. Menu items are QActions named after
// their menu and index ("mnuPictureMain10"); the menus themselves are
// "mnuPictureMain", "mnuSearch", "mnuBase", "mnuSettings", "mnuHelp", and
// their entries on the menu bar "mnuMain0" to "mnuMain4".
#include "links/batches.h"
#include "links/slots.h"
#include "platform/httprequest.h"
#include "support/transferprogress.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QTimer;

namespace ruvia {

class CSearchHost;
class CStatistics;
class PicturePreview;
class PicturesListView;
class frmGroupSelector;
class ucInfoToolBar;
class ucPaint;

class frmPicturesList : public QMainWindow, public IHTTPRequestCallback, private BatchHost {
    Q_OBJECT
  public:
    // login: the window to return to; not the parent, so hiding it leaves this one shown.
    explicit frmPicturesList(frmGroupSelector* login);
    ~frmPicturesList() override;

    CStatistics* Statistics() const { return m_statistics.get(); }
    PicturesListView* list() const { return m_list; }

    // A batch is running: controls and menus off, the progress panel shown,
    // keys other than Esc ignored, closing refused.
    bool InProgress() const { return m_inProgress; }
    void setInProgress(bool busy);
    bool CancelRequested() const { return m_cancelRequest; }
    void setCancelRequest(bool cancel) { m_cancelRequest = cancel; }
    void setProgressText(const QString& text);

    void SaveListPosition();
    void LoadListPosition();
    void UpdateSlotsAndPreview(bool skipPreview);
    // Refills the list from the base, keeping the list position.
    void FillList();
    // As a click on the list: the slots and preview follow after the delay.
    void HandleListClick();
    // Reads the templates into the slots and arranges them.
    void LoadTemplates();

    bool BigPreview() const;
    void setBigPreview(bool big);
    bool PaintModeShown() const;
    void setPaintMode(bool shown);

    // Runs a modal dialog that may add links: the preview is blanked meanwhile
    // when the "Hide Preview" setting is on, and the list is refilled when the
    // base grew; with showNewest the newest post is then selected and shown.
    void RunBaseDialog(const std::function<void()>& show, bool showNewest = false);

    // The picture operations behind the Picture menu.
    PictureOperations& Operations() { return m_operations; }

    void BlockSent(qint64 block, qint64 done, qint64 total, bool& cancel) override;
    void BlockReceived(qint64 block, qint64 done, qint64 total, bool& cancel) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    PostList& posts() override;
    void setBusy(bool busy) override { setInProgress(busy); }
    bool cancelRequested() const override { return m_cancelRequest; }
    void showProgress(const QString& text) override;
    void listClicked() override { HandleListClick(); }
    IHTTPRequestCallback* transferCallback() override { return this; }

    void buildControls();
    void buildMenus();
    QAction* addItem(QMenu* menu, const QString& name, int index, const QString& caption,
                     const QKeySequence& shortcut = {});
    void enableControls(bool enable, bool busy);
    void refreshPictureMenu();
    void pictureCommand(int index);
    void showPictureMenu(const QPoint& globalPos, bool fromPreview);
    void listContextMenu(const QPoint& pos);
    void delayedClick();
    void showPreview(const QString& postId);
    void copyAll(int slot);
    void search(bool findNext);
    void showSettings();
    void openCurrentPicture();
    void slotContextMenu(int slot, const QPoint& pos);
    // Selects this row alone, scrolled into view, with its slots and preview.
    void showOnly(int row);
    QString currentPostId() const;
    bool handleWindowKey(QKeyEvent* key, bool overrideOnly);
    bool handleSlotKey(int slot, QKeyEvent* key);
    void unload();
    int slotWidth() const;
    // Places what follows the window's size: the preview, the slots, the panels.
    void layoutForm();
    void restorePlacement();
    void savePlacement();

    QPointer<frmGroupSelector> m_login;
    QWidget* m_form;
    ucInfoToolBar* m_info;
    PicturesListView* m_list;
    PicturePreview* m_preview;
    QLabel* m_tags[kTemplateCount];
    QLineEdit* m_slots[kTemplateCount];
    QWidget* m_progressPanel;
    QLabel* m_progress;
    QTimer* m_delayedClick;
    ucPaint* m_paint;
    QMenu* m_menus[5];
    QMenuBar* m_helpBar;
    QList<QAction*> m_paintMenus;
    QMenu* m_pictureMenu;

    PictureOperations m_operations{*this};
    QList<SlotTemplate> m_slotTemplates;
    std::unique_ptr<CStatistics> m_statistics;
    std::unique_ptr<CSearchHost> m_searchHost;
    std::unique_ptr<TransferProgress> m_transfer;
    bool m_inProgress = false;
    bool m_cancelRequest = false;
    bool m_suppressClick = false;
    bool m_updating = false;
    bool m_unloaded = false;
    QSize m_baseFormSize;
    QString m_savedCaption;
    QPointer<QWidget> m_savedFocus;
};

} // namespace ruvia
