#include "gui/links/frmaddpostbyid.h"

#include "base/linkbase.h"
#include "gui/paint.h"
#include "gui/toolbarproxy.h"
#include "gui/windowhelper.h"
#include "links/addpost.h"
#include "platform/prompter.h"
#include "platform/textrules.h"
#include "platform/textutil.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace ruvia {

frmAddPostByID::frmAddPostByID(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAddPostByID"));
    setWindowTitle(MakeWindowTitle(QStringLiteral("Add post by ID")));
    setWindowIcon(QIcon());
    auto field = [this](const char* name) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        box->installEventFilter(this);
        return box;
    };
    m_postId = field("txtPostID");
    m_fileName = field("txtOriginalFileName");
    m_userName = field("txtUploadedBy");
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    m_defaultFileName = button("cmdSetDefaultOriginalFileName", QStringLiteral("Set default file name"));
    m_defaultUserName = button("cmdSetDefaultUserName", QStringLiteral("Set default user name"));
    QPushButton* ok = button("cmdOk", QStringLiteral("OK"));
    ok->setDefault(true);
    QPushButton* cancel = button("cmdCancel", QStringLiteral("Cancel"));

    auto* grid = new QGridLayout(this);
    int row = 0;
    for (auto [caption, box] : {std::pair{"Post ID:", m_postId}, std::pair{"File name:", m_fileName},
                                std::pair{"Uploaded by:", m_userName}}) {
        auto* tag = new QLabel(QString::fromLatin1(caption), this);
        tag->setObjectName(QStringLiteral("lblTag%1").arg(row));
        tag->setBuddy(box);
        grid->addWidget(tag, row, 0);
        grid->addWidget(box, row, 1);
        ++row;
    }
    grid->addWidget(m_defaultFileName, 1, 2);
    grid->addWidget(m_defaultUserName, 2, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 3, 0, 1, 3);
    grid->setColumnMinimumWidth(1, 260);

    connect(m_defaultFileName, &QPushButton::clicked, this,
            [this] { m_fileName->setText(DefaultOriginalFileName()); });
    connect(m_defaultUserName, &QPushButton::clicked, this,
            [this] { m_userName->setText(DefaultUserName()); });
    connect(ok, &QPushButton::clicked, this, &frmAddPostByID::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    adjustSize();
    tsCenterFormEx(this);
    MarkToolBarForm(this);
    PressButton(m_defaultFileName);
    PressButton(m_defaultUserName);
}

frmAddPostByID::~frmAddPostByID() { UnMarkToolBarForm(this); }

void frmAddPostByID::confirm()
{
    const QString id = tsTrimEx(m_postId->text());
    m_postId->setText(id);
    if (!IsValidPostId(id)) {
        MsgBox(QStringLiteral("Post ID must be combination of numbers!"), MB_ICONCRITICAL);
        m_postId->setFocus();
        return;
    }
    // Not saved here: the links window refills its list and the base is
    // written by the next batch or when the window closes.
    AddLink(id, m_fileName->text(), m_userName->text());
    accept();
}

bool frmAddPostByID::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        auto* box = qobject_cast<QWidget*>(watched);
        QTimer::singleShot(0, box, [box] { tsHighlightText(box); });
    }
    return QDialog::eventFilter(watched, event);
}

void frmAddPostByID::paintEvent(QPaintEvent* event)
{
    tsPaintDesktop2(this);
    QDialog::paintEvent(event);
}

} // namespace ruvia
