// Creation and placement of the window's controls, and the wiring of their events.
#include "app/Artwork.hpp"
#include "app/CloakingScale.hpp"
#include "app/ColourMode.hpp"
#include "app/Feedback.hpp"
#include "app/FileChooser.hpp"
#include "app/LathworkWindow.hpp"
#include "app/NumberBox.hpp"
#include "app/PreviewPane.hpp"
#include "app/StatusLine.hpp"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolBar>

using lathwork::app::ColourMode;
using lathwork::app::ModeArt;
using lathwork::app::PreviewPane;

namespace {

constexpr auto kEntryFont = 9.75;
constexpr auto kUiFont = 8.25;

QFont Font(double points, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

template <typename Control>
Control* Make(QWidget* parent, const char* name, QRect where, double points = kUiFont, bool bold = false)
{
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(where);
    control->setFont(Font(points, bold));
    return control;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect where)
{
    auto* label = Make<QLabel>(parent, name, where);
    label->setText(text);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, QRect where, bool bold = false)
{
    auto* button = Make<QPushButton>(parent, name, where, kUiFont, bold);
    button->setText(text);
    button->setAutoDefault(false);
    return button;
}

QListWidget* MakeList(QWidget* parent, const char* name, QRect where, bool multi)
{
    auto* list = Make<QListWidget>(parent, name, where, kEntryFont);
    list->setSelectionMode(multi ? QAbstractItemView::MultiSelection : QAbstractItemView::SingleSelection);
    return list;
}

QScrollBar* MakeBar(QWidget* parent, const char* name, QRect where, int low, int high, int value)
{
    auto* bar = Make<QScrollBar>(parent, name, where);
    bar->setOrientation(Qt::Horizontal);
    bar->setRange(low, high);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setValue(value);
    return bar;
}

QLineEdit* MakeBox(QWidget* parent, const char* name, const QString& text, QRect where, double points = kEntryFont)
{
    auto* box = Make<QLineEdit>(parent, name, where, points);
    box->setText(text);
    return box;
}

QLabel* MakeSwatch(QWidget* parent, const char* name, QRect where, QColor colour)
{
    auto* swatch = Make<QLabel>(parent, name, where);
    swatch->setFrameShape(QFrame::Box);
    swatch->setAutoFillBackground(true);
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, colour);
    swatch->setPalette(palette);
    return swatch;
}

// The four mode frames and introframe share one rectangle.
const QRect kFrameRect(56, 144, 385, 289);

QGroupBox* MakeFrame(QWidget* parent, const char* name, const QString& caption)
{
    auto* frame = Make<QGroupBox>(parent, name, kFrameRect, kEntryFont, true);
    frame->setTitle(caption);
    frame->setAutoFillBackground(true);
    return frame;
}

} // namespace

LathworkWindow::LathworkWindow(QWidget* parent)
    : QMainWindow(parent), illum_(std::make_unique<ColourMode>()), trans_(std::make_unique<ColourMode>())
{
    setObjectName(QStringLiteral("lathwork"));
    setWindowTitle(QStringLiteral("Lathwork v1.8"));
    setWindowIcon(lathwork::app::ApplicationIcon());
    setFont(Font(kUiFont, false));
    BuildMenus();
    BuildClientArea();
    Connect();
    BuildFileMenu();
    // Window load: Extract Textures waits for a file.
    extracttexmenu_->setEnabled(false);
}

LathworkWindow::~LathworkWindow() = default;

void LathworkWindow::BuildMenus()
{
    QMenu* modify = menuBar()->addMenu(QStringLiteral("Modify"));
    modify->setObjectName(QStringLiteral("modifymenu"));
    const auto item = [&](QMenu* menu, const char* name, const QString& text, bool checkable) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(checkable);
        return action;
    };
    transparencymenu_ = item(modify, "transparencymenu", QStringLiteral("Transparency"), true);
    animationmenu_ = item(modify, "animationmenu", QStringLiteral("Animation"), true);
    cloakingmenu_ = item(modify, "cloakingmenu", QStringLiteral("Cloaking"), true);
    illuminationmenu_ = item(modify, "illuminationmenu", QStringLiteral("Illumination"), true);
    QMenu* extras = menuBar()->addMenu(QStringLiteral("Extras"));
    extras->setObjectName(QStringLiteral("extrasmenu"));
    extracttexmenu_ = item(extras, "extracttexmenu", QStringLiteral("Extract Textures"), false);
}

void LathworkWindow::BuildClientArea()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientarea"));
    client->setFixedSize(727, 488);
    setCentralWidget(client);

    // The toolbar stands upright beside the mode frames; its buttons stay down when pressed.
    imagemenu_ = new QToolBar(client);
    imagemenu_->setObjectName(QStringLiteral("imagemenu"));
    imagemenu_->setOrientation(Qt::Vertical);
    imagemenu_->setIconSize(QSize(32, 32));
    imagemenu_->setGeometry(8, 150, 44, 180);
    const std::pair<ModeArt, QString> buttons[] = {{ModeArt::Transparency, QStringLiteral("Transparency")},
                                                   {ModeArt::Animation, QStringLiteral("Animation")},
                                                   {ModeArt::Cloaking, QStringLiteral("Cloaking")},
                                                   {ModeArt::Illumination, QStringLiteral("Illumination")}};
    for (const auto& [art, name] : buttons) {
        QAction* button = imagemenu_->addAction(lathwork::app::ToolbarIcon(art), name);
        button->setObjectName(QStringLiteral("imagemenu") + name);
        button->setCheckable(true);
        toolbarButtons_.push_back(button);
    }

    BuildChooser(client);

    introframe_ = MakeFrame(client, "introframe", QStringLiteral("Editing Window"));
    BuildIlluminationFrame(client);
    BuildAnimationFrame(client);
    BuildCloakingFrame(client);
    BuildTransparencyFrame(client); // built last: frontmost at start

    // A short guide in the free corner above the preview.
    auto* guide = MakeLabel(client, "guidetext",
                            QStringLiteral("1.  Choose an OPT file.\n2.  Choose a mode (Modify menu or toolbar).\n"
                                           "3.  Press SCAN, select, press BEGIN."),
                            QRect(456, 22, 263, 60));
    guide->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    guide->setStyleSheet(QStringLiteral("color: #404858;"));

    texdisplayed_ = Make<QLabel>(client, "texdisplayed", QRect(456, 120, 256, 22), kEntryFont, true);
    // The pane's border sits just outside its 256 x 256 pixels.
    auto* paneBorder = Make<QFrame>(client, "bmpborder", QRect(455, 143, 258, 258));
    paneBorder->setFrameShape(QFrame::Box);
    paneBorder->setStyleSheet(QStringLiteral("color: #7a8090;"));
    texdisplayed_->setText(QStringLiteral("v1.8"));
    bmpdisplay_ = Make<PreviewPane>(client, "bmpdisplay", QRect(456, 144, 256, 256));
    bmpdisplay_->setFrameShape(QFrame::NoFrame);
    QPalette pane = bmpdisplay_->palette();
    pane.setColor(QPalette::Window, QColor(48, 52, 60));
    bmpdisplay_->setPalette(pane);
    bmpdisplay_->SetPicture(lathwork::app::StartupPicture());
    bmpholder_ = Make<PreviewPane>(client, "bmpholder", QRect(456, 144, 256, 256));
    bmpholder_->hide();

    textactions_ = Make<lathwork::app::StatusLine>(client, "textactions", QRect(8, 440, 711, 42));
    textactions_->setReadOnly(true);
    textactions_->setPlainText(QStringLiteral("Select OPT from directory, then press SCAN\n"));

    cloak_ = new CloakingScale(bmpdisplay_, cloakhighvisdistance_, cloaklowvisdistance_, state_,
                               [this] { return cloakbutbegin_->text(); }, this);
}

void LathworkWindow::BuildChooser(QWidget* client)
{
    MakeLabel(client, "Label2", QStringLiteral("Location of *.opt"), QRect(8, 4, 216, 18));
    optdrive_ = Make<lathwork::app::DriveList>(client, "optdrive", QRect(8, 22, 216, 24));
    optdirectory_ = Make<lathwork::app::FolderList>(client, "optdirectory", QRect(8, 50, 216, 88));
    optfile_ = Make<lathwork::app::FileList>(client, "optfile", QRect(232, 22, 209, 116));
    optfile_->setSelectionMode(QAbstractItemView::SingleSelection);

    // Both lists start in the process's current directory.
    if (!optdirectory_->SetPath(QDir::currentPath())) {
        optdirectory_->SetPath(QDir::homePath());
    }
    optfile_->SetPath(optdirectory_->Path());
    optdrive_->ShowDriveOf(optdirectory_->Path());
}

void LathworkWindow::BuildColourControls(QGroupBox* frame, const QString& prefix, ColourMode& mode)
{
    const auto name = [&](const char* role) { return (prefix + QString::fromLatin1(role)).toLatin1(); };
    mode.entire = Make<QRadioButton>(frame, name("custompickoff").constData(), QRect(172, 22, 100, 20));
    mode.entire->setText(QStringLiteral("Entire texture"));
    mode.entire->setChecked(true);
    mode.custom = Make<QRadioButton>(frame, name("custompickon").constData(), QRect(274, 22, 104, 20));
    mode.custom->setText(QStringLiteral("Custom select"));
    mode.red = MakeList(frame, name("redtintbox").constData(), QRect(172, 46, 37, 108), false);
    mode.green = MakeList(frame, name("greentintbox").constData(), QRect(210, 46, 37, 108), false);
    mode.blue = MakeList(frame, name("bluetintbox").constData(), QRect(248, 46, 37, 108), false);
    mode.swatch = MakeSwatch(frame, name("tintdisplay").constData(), QRect(291, 46, 86, 48), mode.swatchColour);
    mode.swatchText = MakeBox(frame, name("tinttext").constData(), QString(), QRect(291, 98, 86, 22), kUiFont);
    mode.swatchText->setReadOnly(true);
    mode.swatchText->setTextMargins(0, 0, 0, 0);
    mode.swatchText->setAlignment(Qt::AlignCenter);
    mode.remove = MakeButton(frame, name("removecolor").constData(), QStringLiteral("Remove selected"),
                             QRect(172, 158, 113, 24));
    mode.remove->setEnabled(false);
    mode.tolerance = MakeBar(frame, name("colortolerancebar").constData(), QRect(172, 208, 158, 20), 0, 255, 32);
    mode.toleranceBox = MakeBox(frame, name("colortolerancebox").constData(), QStringLiteral("32"), QRect(334, 206, 42, 24));
    new lathwork::app::NumberBox(mode.tolerance, mode.toleranceBox, this);
}

void LathworkWindow::BuildIlluminationFrame(QWidget* client)
{
    illuminationframe_ = MakeFrame(client, "illuminationframe", QStringLiteral("Illumination"));
    QGroupBox* f = illuminationframe_;
    ColourMode& m = *illum_;
    m.name = QStringLiteral("Illumination");
    MakeLabel(f, "Label4", QStringLiteral("Textures in selected *.opt"), QRect(10, 22, 156, 18));
    m.textures = MakeList(f, "illumtexturelist", QRect(10, 42, 156, 186), true);
    m.selectAll = MakeButton(f, "illumselalltextures", QStringLiteral("Select all"), QRect(10, 232, 76, 24));
    m.deselectAll = MakeButton(f, "illumdeselalltextures", QStringLiteral("Deselect all"), QRect(90, 232, 76, 24));
    m.begin = MakeButton(f, "illumbutbegin", QStringLiteral("SCAN"), QRect(10, 260, 156, 24), true);
    m.begin->setEnabled(false);
    BuildColourControls(f, QStringLiteral("illum"), m);
    MakeLabel(f, "Label5", QStringLiteral("Similarity tolerance"), QRect(172, 188, 204, 18));
}

void LathworkWindow::BuildTransparencyFrame(QWidget* client)
{
    transparencyframe_ = MakeFrame(client, "transparencyframe", QStringLiteral("Transparency"));
    QGroupBox* f = transparencyframe_;
    ColourMode& m = *trans_;
    m.name = QStringLiteral("Transparency");
    MakeLabel(f, "Label3", QStringLiteral("Textures in selected *.opt"), QRect(10, 22, 156, 18));
    m.textures = MakeList(f, "transtexturelist", QRect(10, 42, 156, 186), true);
    m.selectAll = MakeButton(f, "transselalltextures", QStringLiteral("Select all"), QRect(10, 232, 76, 24));
    m.deselectAll = MakeButton(f, "transdeselalltextures", QStringLiteral("Deselect all"), QRect(90, 232, 76, 24));
    m.begin = MakeButton(f, "transbutbegin", QStringLiteral("SCAN"), QRect(10, 260, 156, 24), true);
    m.begin->setEnabled(false);
    BuildColourControls(f, QStringLiteral("trans"), m);
    MakeLabel(f, "Label9", QStringLiteral("Similarity tolerance"), QRect(172, 188, 204, 18));
    MakeLabel(f, "Label8", QStringLiteral("Texture opacity"), QRect(172, 234, 120, 18));
    transopacitybar_ = MakeBar(f, "transopacitybar", QRect(172, 254, 120, 20), 0, 255, 111);
    auto* opacityBox = MakeBox(f, "transopacitybox", QStringLiteral("111"), QRect(296, 252, 42, 24));
    new lathwork::app::NumberBox(transopacitybar_, opacityBox, this);
    transopacitydisplay_ = MakeSwatch(f, "transopacitydisplay", QRect(342, 252, 34, 24), QColor(144, 144, 144));
    connect(transopacitybar_, &QScrollBar::valueChanged, this, &LathworkWindow::OpacityChanged);
}

void LathworkWindow::BuildAnimationFrame(QWidget* client)
{
    animationframe_ = MakeFrame(client, "animationframe", QStringLiteral("Animation"));
    QGroupBox* f = animationframe_;
    MakeLabel(f, "Label7", QStringLiteral("Texture sets in selected *.opt"), QRect(10, 22, 156, 18));
    animtexturesetlist_ = MakeList(f, "animtexturesetlist", QRect(10, 42, 156, 186), true);
    animselalltextures_ = MakeButton(f, "animselalltextures", QStringLiteral("Select all"), QRect(10, 232, 76, 24));
    animdeselalltextures_ = MakeButton(f, "animdeselalltextures", QStringLiteral("Deselect all"), QRect(90, 232, 76, 24));
    animbutbegin_ = MakeButton(f, "animbutbegin", QStringLiteral("SCAN"), QRect(10, 260, 156, 24), true);
    animbutbegin_->setEnabled(false);
    MakeLabel(f, "Label6", QStringLiteral("Textures in selected texture set"), QRect(172, 22, 204, 18));
    animtexturelist_ = MakeList(f, "animtexturelist", QRect(172, 42, 204, 242), false);
}

void LathworkWindow::BuildCloakingFrame(QWidget* client)
{
    cloakingframe_ = MakeFrame(client, "cloakingframe", QStringLiteral("Cloaking"));
    QGroupBox* f = cloakingframe_;
    MakeLabel(f, "Label1", QStringLiteral("Distance (KM) *.opt disappears"), QRect(10, 24, 364, 18));
    MakeLabel(f, "cloakhighlabel", QStringLiteral("High visibility"), QRect(10, 50, 110, 24));
    cloakhighvisdistance_ = MakeBox(f, "cloakhighvisdistance", QStringLiteral("never"), QRect(124, 50, 120, 24));
    cloakhighvisdistance_->setEnabled(false);
    MakeLabel(f, "cloaklowlabel", QStringLiteral("Low visibility"), QRect(10, 82, 110, 24));
    cloaklowvisdistance_ = MakeBox(f, "cloaklowvisdistance", QStringLiteral("never"), QRect(124, 82, 120, 24));
    cloaklowvisdistance_->setEnabled(false);
    auto* hint = MakeLabel(f, "cloakhint",
                           QStringLiteral("Type kilometres, NEVER or ALWAYS, or drag the ships along the scale."),
                           QRect(10, 120, 364, 36));
    hint->setWordWrap(true);
    cloakbutbegin_ = MakeButton(f, "cloakbutbegin", QStringLiteral("SCAN"), QRect(10, 260, 156, 24), true);
    cloakbutbegin_->setEnabled(false);
}

void LathworkWindow::Connect()
{
    connect(transparencymenu_, &QAction::triggered, this, [this] { SwitchMode(QStringLiteral("Transparency"), true); });
    connect(animationmenu_, &QAction::triggered, this, [this] { SwitchMode(QStringLiteral("Animation"), true); });
    connect(cloakingmenu_, &QAction::triggered, this, [this] { SwitchMode(QStringLiteral("Cloaking"), true); });
    connect(illuminationmenu_, &QAction::triggered, this, [this] { SwitchMode(QStringLiteral("Illumination"), true); });
    for (QAction* button : toolbarButtons_) {
        connect(button, &QAction::triggered, this, &LathworkWindow::ToolbarClicked);
    }
    connect(extracttexmenu_, &QAction::triggered, this, &LathworkWindow::ExtractTextures);

    for (QPushButton* button : {illum_->begin, trans_->begin, animbutbegin_, cloakbutbegin_}) {
        connect(button, &QPushButton::clicked, this, [this, button] { BeginClicked(button); });
    }
    connect(animselalltextures_, &QPushButton::clicked, this, [this] { SelectAll(animtexturesetlist_, true); });
    connect(animdeselalltextures_, &QPushButton::clicked, this, [this] { SelectAll(animtexturesetlist_, false); });
    connect(animtexturesetlist_, &QListWidget::itemClicked, this, &LathworkWindow::SetListClicked);
    connect(animtexturelist_, &QListWidget::itemClicked, this, &LathworkWindow::AnimTextureListClicked);
    ConnectColourMode(*illum_);
    ConnectColourMode(*trans_);

    connect(optfile_, &QListWidget::itemClicked, this, [this] { ApplyReset(true); });
    // Moving to another file with the keyboard is a choice of file too: nothing scanned from
    // one file may be applied to another.
    connect(optfile_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) {
            ApplyReset(true);
        }
    });
    connect(optdirectory_, &lathwork::app::FolderList::pathChanged, this, &LathworkWindow::FolderChanged);
    connect(optdirectory_, &lathwork::app::FolderList::folderRefused, this, [this](const QString& problem) {
        lathwork::app::ShowMessage(this, {lathwork::app::MessageKind::Error, QStringLiteral("Lathwork"), problem});
    });
    connect(optdrive_, &lathwork::app::DriveList::driveChanged, this, &LathworkWindow::DriveChanged);

    connect(bmpdisplay_, &PreviewPane::pointerMoved, this, &LathworkWindow::PointerMoved);
    connect(bmpdisplay_, &PreviewPane::clicked, this, &LathworkWindow::PreviewClicked);
}

void LathworkWindow::ConnectColourMode(ColourMode& m)
{
    connect(m.selectAll, &QPushButton::clicked, this, [this, &m] { SelectAll(m.textures, true); });
    connect(m.deselectAll, &QPushButton::clicked, this, [this, &m] { SelectAll(m.textures, false); });
    connect(m.textures, &QListWidget::itemClicked, this, [this, &m](QListWidgetItem* item) { TextureListClicked(m, item); });
    for (QListWidget* list : {m.red, m.green, m.blue}) {
        connect(list, &QListWidget::itemClicked, this, [this, &m, list] { ColourRowClicked(m, list); });
    }
    connect(m.tolerance, &QScrollBar::valueChanged, this, [this, &m] { RemarkPickedColours(m); });
    connect(m.remove, &QPushButton::clicked, this, [this, &m] { RemoveColour(m); });
    connect(m.custom, &QRadioButton::clicked, this, [this, &m] { CustomSelectClicked(m); });
    connect(m.entire, &QRadioButton::clicked, this, [this, &m] { EntireTextureClicked(m); });
}
