// Creation and placement of the window's controls, and the wiring of their events. Every
// control sits in a Qt layout, so each caption gets the room its text needs in the fonts the
// machine has.
#include "app/Artwork.hpp"
#include "app/CloakingScale.hpp"
#include "app/ColourMode.hpp"
#include "app/Feedback.hpp"
#include "app/FileChooser.hpp"
#include "app/LathworkWindow.hpp"
#include "app/ListBox.hpp"
#include "app/NumberBox.hpp"
#include "app/PreviewPane.hpp"
#include "app/StatusLine.hpp"
#include "app/TextureView.hpp"
#include "app/rules/ChangeHistory.hpp"

#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSlider>
#include <QSpacerItem>
#include <QToolBar>

using lathwork::app::ColourMode;
using lathwork::app::ListBox;
using lathwork::app::ModeArt;
using lathwork::app::PreviewPane;

namespace {

constexpr auto kEntryFont = 9.75;
constexpr auto kUiFont = 8.25;
constexpr int kPane = 256;
constexpr int kFolderListHeight = 88;
constexpr int kFileListHeight = 134;
// The client area at start, and the least it may shrink to. What the window grows beyond it
// goes half to the pane and half to the lists (FitToClient).
constexpr QSize kClient(727, 488);

// The growth of a larger client area that the pane leaves to the lists: the mode frames get
// this much more width and height, and the chooser's lists this much more height.
QSize Gained(QSize client)
{
    return (client - kClient).expandedTo(QSize(0, 0));
}

QSize ListsGrowth(QSize client)
{
    return Gained(client) / 2;
}

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
Control* Make(QWidget* parent, const char* name, double points = kUiFont, bool bold = false)
{
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setFont(Font(points, bold));
    return control;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = Make<QLabel>(parent, name);
    label->setText(text);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, bool bold = false)
{
    auto* button = Make<QPushButton>(parent, name, kUiFont, bold);
    button->setText(text);
    button->setAutoDefault(false);
    return button;
}

ListBox* MakeList(QWidget* parent, const char* name, bool multi)
{
    auto* list = Make<ListBox>(parent, name, kEntryFont);
    list->setSelectionMode(multi ? QAbstractItemView::MultiSelection : QAbstractItemView::SingleSelection);
    return list;
}

QScrollBar* MakeBar(QWidget* parent, const char* name, int low, int high, int value)
{
    auto* bar = Make<QScrollBar>(parent, name);
    bar->setOrientation(Qt::Horizontal);
    bar->setRange(low, high);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setValue(value);
    return bar;
}

QLineEdit* MakeBox(QWidget* parent, const char* name, const QString& text, double points = kEntryFont)
{
    auto* box = Make<QLineEdit>(parent, name, points);
    box->setText(text);
    return box;
}

// A box wide enough for "255" and no wider.
QLineEdit* MakeNumberBox(QWidget* parent, const char* name, const QString& text)
{
    QLineEdit* box = MakeBox(parent, name, text);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
    return box;
}

QLabel* MakeSwatch(QWidget* parent, const char* name, QColor colour)
{
    auto* swatch = Make<QLabel>(parent, name);
    swatch->setFrameShape(QFrame::Box);
    swatch->setAutoFillBackground(true);
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, colour);
    swatch->setPalette(palette);
    return swatch;
}

// The mode frames and introframe share one cell of the client's grid; a hidden frame keeps
// its place, so that every frame has the same rectangle.
QGroupBox* MakeFrame(QWidget* parent, const char* name, const QString& caption)
{
    auto* frame = Make<QGroupBox>(parent, name, kEntryFont, true);
    frame->setTitle(caption);
    frame->setAutoFillBackground(true);
    QSizePolicy policy = frame->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    frame->setSizePolicy(policy);
    return frame;
}

QHBoxLayout* Row(std::initializer_list<QWidget*> widgets)
{
    auto* row = new QHBoxLayout;
    for (QWidget* widget : widgets) {
        row->addWidget(widget);
    }
    return row;
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
    BuildEditMenu();
    // Window load: Extract Textures waits for a file, and the view controls for a texture (the
    // start-up picture is none).
    extracttexmenu_->setEnabled(false);
    SetTextureShown(false);
}

LathworkWindow::~LathworkWindow() = default;

void LathworkWindow::BuildMenus()
{
    // Mnemonics on the menus and their items; the modes also answer Ctrl+1 to Ctrl+4 in the
    // toolbar's order, and Extract Textures Ctrl+E.
    QMenu* modify = menuBar()->addMenu(QStringLiteral("&Modify"));
    modify->setObjectName(QStringLiteral("modifymenu"));
    const auto item = [&](QMenu* menu, const char* name, const QString& text, bool checkable, QKeySequence keys) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(checkable);
        action->setShortcut(keys);
        return action;
    };
    transparencymenu_ = item(modify, "transparencymenu", QStringLiteral("&Transparency"), true, Qt::CTRL | Qt::Key_1);
    animationmenu_ = item(modify, "animationmenu", QStringLiteral("&Animation"), true, Qt::CTRL | Qt::Key_2);
    cloakingmenu_ = item(modify, "cloakingmenu", QStringLiteral("&Cloaking"), true, Qt::CTRL | Qt::Key_3);
    illuminationmenu_ = item(modify, "illuminationmenu", QStringLiteral("&Illumination"), true, Qt::CTRL | Qt::Key_4);
    QMenu* extras = menuBar()->addMenu(QStringLiteral("E&xtras"));
    extras->setObjectName(QStringLiteral("extrasmenu"));
    extracttexmenu_ = item(extras, "extracttexmenu", QStringLiteral("&Extract Textures"), false, Qt::CTRL | Qt::Key_E);
}

void LathworkWindow::BuildClientArea()
{
    auto* client = new QWidget(this);
    client_ = client;
    client->setObjectName(QStringLiteral("clientarea"));
    client->setMinimumSize(kClient);
    client->installEventFilter(this);
    setCentralWidget(client);
    resize(kClient.width(), kClient.height() + menuBar()->sizeHint().height());
    auto* grid = new QGridLayout(client);
    grid->setContentsMargins(8, 4, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);

    // The toolbar stands upright beside the mode frames; its buttons stay down when pressed.
    imagemenu_ = new QToolBar(client);
    imagemenu_->setObjectName(QStringLiteral("imagemenu"));
    imagemenu_->setOrientation(Qt::Vertical);
    imagemenu_->setIconSize(QSize(32, 32));
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

    grid->addLayout(BuildChooser(client), 0, 0, 1, 2);

    introframe_ = MakeFrame(client, "introframe", QStringLiteral("Editing Window"));
    illuminationframe_ = BuildTextureFrame(client, *illum_, {"illuminationframe", "Illumination", "illum", "Label4", "Label5", false});
    animationframe_ = BuildAnimationFrame(client);
    cloakingframe_ = BuildCloakingFrame(client);
    transparencyframe_ =
        BuildTextureFrame(client, *trans_, {"transparencyframe", "Transparency", "trans", "Label3", "Label9", true});
    // Only the frame in front is shown: the controls of the others are out of reach of the
    // mouse, Tab and Space alike. Transparency is in front at start.
    for (QGroupBox* frame : {introframe_, illuminationframe_, animationframe_, cloakingframe_, transparencyframe_}) {
        grid->addWidget(frame, 1, 1);
        frame->setVisible(frame == transparencyframe_);
    }
    grid->addWidget(imagemenu_, 1, 0, Qt::AlignTop);

    // A short guide in the free corner above the preview, and the previewed texture's name.
    auto* guide = MakeLabel(client, "guidetext",
                            QStringLiteral("1.  Choose an OPT file.\n2.  Choose a mode (Modify menu or toolbar).\n"
                                           "3.  Press SCAN, select, press BEGIN."));
    guide->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    guide->setStyleSheet(QStringLiteral("color: #404858;"));
    texdisplayed_ = Make<QLabel>(client, "texdisplayed", kEntryFont, true);
    texdisplayed_->setText(QStringLiteral("v1.8"));
    auto* above = new QVBoxLayout;
    above->addWidget(guide, 1);
    above->addLayout(BuildViewControls(client));
    above->addWidget(texdisplayed_);
    grid->addLayout(above, 0, 2);

    // The pane's border sits just outside its pixels: 256 x 256 at start, more as the window
    // grows (FitToClient).
    auto* paneBorder = Make<QFrame>(client, "bmpborder");
    paneBorder_ = paneBorder;
    paneBorder->setFrameShape(QFrame::Box);
    paneBorder->setStyleSheet(QStringLiteral("color: #7a8090;"));
    paneBorder->setFixedSize(kPane + 2, kPane + 2);
    bmpdisplay_ = Make<PreviewPane>(paneBorder, "bmpdisplay");
    bmpdisplay_->setGeometry(1, 1, kPane, kPane);
    bmpdisplay_->setFrameShape(QFrame::NoFrame);
    QPalette pane = bmpdisplay_->palette();
    pane.setColor(QPalette::Window, QColor(48, 52, 60));
    bmpdisplay_->setPalette(pane);
    bmpdisplay_->SetFixedPicture(lathwork::app::StartupPicture());
    bmpholder_ = Make<PreviewPane>(client, "bmpholder");
    bmpholder_->hide();
    auto* paneColumn = new QVBoxLayout;
    paneColumn->addWidget(paneBorder);
    paneColumn->addLayout(BuildLightControls(client));
    paneColumn->addStretch(1);
    grid->addLayout(paneColumn, 1, 2);

    textactions_ = Make<lathwork::app::StatusLine>(client, "textactions");
    textactions_->setReadOnly(true);
    textactions_->setTabChangesFocus(true);
    textactions_->setFixedHeight(42);
    textactions_->setPlainText(QStringLiteral("Select OPT from directory, then press SCAN\n"));
    grid->addWidget(textactions_, 2, 0, 1, 3);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);

    cloak_ = new CloakingScale(bmpdisplay_, cloakhighvisdistance_, cloaklowvisdistance_, state_,
                               [this] { return cloakbutbegin_->text(); }, this);
}

QLayout* LathworkWindow::BuildViewControls(QWidget* client)
{
    previewresult_ = Make<QCheckBox>(client, "previewresult");
    previewresult_->setText(QStringLiteral("Show result"));
    previewresult_->setToolTip(QStringLiteral("Show what BEGIN would write, and the opacity a texture already carries"));
    auto* label = MakeLabel(client, "previewzoomlabel", QStringLiteral("Zoom"));
    previewzoom_ = Make<QComboBox>(client, "previewzoom");
    previewzoom_->addItems({QStringLiteral("1×"), QStringLiteral("2×"), QStringLiteral("4×"), QStringLiteral("Fit")});
    label->setBuddy(previewzoom_);
    auto* row = new QHBoxLayout;
    row->addWidget(previewresult_);
    row->addStretch(1);
    row->addWidget(label);
    row->addWidget(previewzoom_);
    return row;
}

QLayout* LathworkWindow::BuildLightControls(QWidget* client)
{
    // The palette's 16 lighting rows; row 7 is the one the texture's own colours are in.
    auto* label = MakeLabel(client, "lightingrowlabel", QStringLiteral("Light"));
    lightingrowbar_ = Make<QSlider>(client, "lightingrowbar");
    lightingrowbar_->setOrientation(Qt::Horizontal);
    lightingrowbar_->setRange(0, 15);
    lightingrowbar_->setValue(7);
    lightingrowbar_->setSingleStep(1);
    lightingrowbar_->setPageStep(1);
    lightingrowbar_->setToolTip(QStringLiteral("The light level the preview shows (7: the texture's own colours)"));
    label->setBuddy(lightingrowbar_);
    lightingrowtext_ = Make<QLabel>(client, "lightingrowtext");
    lightingrowtext_->setNum(7);
    lightingrowtext_->setMinimumWidth(lightingrowtext_->fontMetrics().horizontalAdvance(QStringLiteral("00")));
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(lightingrowbar_, 1);
    row->addWidget(lightingrowtext_);
    return row;
}

bool LathworkWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == client_) {
            FitToClient();
        } else if (watched == illuminationframe_ || watched == transparencyframe_) {
            FitColourFrame(watched == illuminationframe_ ? *illum_ : *trans_);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void LathworkWindow::FitToClient()
{
    // The pane takes what the lists leave; the mode frames take the rest of the width and
    // height of their grid cell by themselves.
    const QSize lists = ListsGrowth(client_->size());
    const QSize pane = QSize(kPane, kPane) + Gained(client_->size()) - lists;
    paneBorder_->setFixedSize(pane + QSize(2, 2));
    bmpdisplay_->setGeometry(1, 1, pane.width(), pane.height());
    optdirectory_->setFixedHeight(kFolderListHeight + lists.height());
    optfile_->setFixedHeight(kFileListHeight + lists.height());
}

void LathworkWindow::FitColourFrame(ColourMode& m)
{
    // The colour lists stay as they are at the start size: the frame's growth in width goes to
    // the texture column, its growth in height to the gap under the colour lists. At the start
    // size the two columns share the width equally; stretch factors in the ratio of the widths
    // wanted keep the colour column at that share.
    const QSize growth = ListsGrowth(client_->size());
    const int shared = m.columns->contentsRect().width() - m.columns->spacing();
    const bool equal = growth.width() == 0 || shared <= growth.width(); // at start, or not laid out yet
    const int textures = equal ? 1 : shared + growth.width();
    const int colours = equal ? 1 : shared - growth.width();
    if (m.columns->stretch(0) != textures || m.columns->stretch(1) != colours) {
        m.columns->setStretch(0, textures);
        m.columns->setStretch(1, colours);
    }
    if (m.colourGap->sizeHint().height() != growth.height()) {
        m.colourGap->changeSize(0, growth.height(), QSizePolicy::Fixed, QSizePolicy::Fixed);
        m.colourColumn->invalidate();
    }
}

QLayout* LathworkWindow::BuildChooser(QWidget* client)
{
    auto* label = MakeLabel(client, "Label2", QStringLiteral("Location of *.opt"));
    optdrive_ = Make<lathwork::app::DriveList>(client, "optdrive");
    optdirectory_ = Make<lathwork::app::FolderList>(client, "optdirectory");
    optfile_ = Make<lathwork::app::FileList>(client, "optfile");
    optfile_->setSelectionMode(QAbstractItemView::SingleSelection);
    optdirectory_->setFixedHeight(kFolderListHeight);
    optfile_->setFixedHeight(kFileListHeight);
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(label);
    left->addWidget(optdrive_);
    left->addWidget(optdirectory_);
    auto* row = new QHBoxLayout;
    row->addLayout(left, 1);
    row->addWidget(optfile_, 1);

    // Both lists start in the process's current directory, which is watched for files that
    // come and go.
    folderWatch_ = new QFileSystemWatcher(this);
    if (!optdirectory_->SetPath(QDir::currentPath())) {
        optdirectory_->SetPath(QDir::homePath());
    }
    ShowFolder(optdirectory_->Path());
    optdrive_->ShowDriveOf(optdirectory_->Path());
    return row;
}

QGroupBox* LathworkWindow::BuildTextureFrame(QWidget* client, ColourMode& m, const TextureFrameNames& names)
{
    QGroupBox* f = MakeFrame(client, names.frame, QString::fromLatin1(names.caption));
    m.name = QString::fromLatin1(names.caption);
    const QString prefix = QString::fromLatin1(names.prefix);
    const auto name = [&](const char* role) { return (prefix + QString::fromLatin1(role)).toLatin1(); };

    // Left: the textures, the selection buttons, the colour choice and SCAN/BEGIN.
    auto* listLabel = MakeLabel(f, names.listLabel, QStringLiteral("Textures in selected *.opt"));
    m.textures = MakeList(f, name("texturelist").constData(), true);
    m.selectAll = MakeButton(f, name("selalltextures").constData(), QStringLiteral("Select all"));
    m.deselectAll = MakeButton(f, name("deselalltextures").constData(), QStringLiteral("Deselect all"));
    m.entire = Make<QRadioButton>(f, name("custompickoff").constData());
    m.entire->setText(QStringLiteral("Entire texture"));
    m.entire->setChecked(true);
    m.custom = Make<QRadioButton>(f, name("custompickon").constData());
    m.custom->setText(QStringLiteral("Custom select"));
    m.begin = MakeButton(f, name("butbegin").constData(), QStringLiteral("SCAN"), true);
    m.begin->setEnabled(false);
    auto* left = new QVBoxLayout;
    left->addWidget(listLabel);
    left->addWidget(m.textures, 1);
    left->addLayout(Row({m.selectAll, m.deselectAll}));
    left->addWidget(m.entire);
    left->addWidget(m.custom);
    left->addWidget(m.begin);

    // Right: the picked colours with their swatch, and the tolerance.
    m.red = MakeList(f, name("redtintbox").constData(), false);
    m.green = MakeList(f, name("greentintbox").constData(), false);
    m.blue = MakeList(f, name("bluetintbox").constData(), false);
    m.swatch = MakeSwatch(f, name("tintdisplay").constData(), m.swatchColour);
    m.swatch->setMinimumWidth(32);
    m.swatchText = MakeBox(f, name("tinttext").constData(), QString(), kUiFont);
    m.swatchText->setReadOnly(true);
    m.swatchText->setTextMargins(0, 0, 0, 0);
    m.swatchText->setAlignment(Qt::AlignCenter);
    m.remove = MakeButton(f, name("removecolor").constData(), QStringLiteral("Remove selected"));
    m.remove->setEnabled(false);
    auto* toleranceLabel = MakeLabel(f, names.toleranceLabel, QStringLiteral("Similarity tolerance"));
    m.tolerance = MakeBar(f, name("colortolerancebar").constData(), 0, 255, 32);
    m.toleranceBox = MakeNumberBox(f, name("colortolerancebox").constData(), QStringLiteral("32"));
    new lathwork::app::NumberBox(m.tolerance, m.toleranceBox, this);
    LinkTintLists(m);

    auto* tints = new QGridLayout;
    tints->setHorizontalSpacing(0);
    tints->addWidget(m.red, 0, 0);
    tints->addWidget(m.green, 0, 1);
    tints->addWidget(m.blue, 0, 2);
    tints->addWidget(m.swatchText, 1, 0, 1, 3);
    tints->addWidget(m.swatch, 0, 3, 2, 1);
    tints->setColumnMinimumWidth(3, 32);
    tints->setColumnStretch(3, 1);
    auto* right = new QVBoxLayout;
    right->addLayout(tints, 1);
    right->addWidget(m.remove, 0, Qt::AlignLeft);
    m.colourGap = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    right->addSpacerItem(m.colourGap);
    m.colourColumn = right;
    right->addWidget(toleranceLabel);
    right->addLayout(Row({m.tolerance, m.toleranceBox}));
    if (names.opacity) {
        right->addLayout(BuildOpacityControls(f));
    }

    auto* columns = new QHBoxLayout(f);
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    m.columns = columns;
    f->installEventFilter(this);
    return f;
}

void LathworkWindow::LinkTintLists(ColourMode& m)
{
    // The three lists are one list of colours: each is just wide enough for "255", headed by
    // its channel, and they scroll together with the blue list's scroll bar.
    const QList<ListBox*> lists{m.red, m.green, m.blue};
    m.red->SetHeading(QStringLiteral("R"));
    m.green->SetHeading(QStringLiteral("G"));
    m.blue->SetHeading(QStringLiteral("B"));
    for (ListBox* list : lists) {
        const int width = list->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 2 * list->frameWidth() + 10;
        const bool last = list == m.blue;
        list->setFixedWidth(last ? width + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list) : width);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(last ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        for (ListBox* other : lists) {
            if (other != list) {
                connect(list->verticalScrollBar(), &QScrollBar::valueChanged, other->verticalScrollBar(),
                        &QScrollBar::setValue);
            }
        }
    }
}

QLayout* LathworkWindow::BuildOpacityControls(QGroupBox* f)
{
    auto* label = MakeLabel(f, "Label8", QStringLiteral("Texture opacity"));
    transopacitybar_ = MakeBar(f, "transopacitybar", 0, 255, 111);
    auto* opacityBox = MakeNumberBox(f, "transopacitybox", QStringLiteral("111"));
    new lathwork::app::NumberBox(transopacitybar_, opacityBox, this);
    transopacitydisplay_ = MakeSwatch(f, "transopacitydisplay", QColor(144, 144, 144));
    transopacitydisplay_->setFixedWidth(34);
    connect(transopacitybar_, &QScrollBar::valueChanged, this, &LathworkWindow::OpacityChanged);
    auto* controls = new QVBoxLayout;
    controls->addWidget(label);
    controls->addLayout(Row({transopacitybar_, opacityBox, transopacitydisplay_}));
    return controls;
}

QGroupBox* LathworkWindow::BuildAnimationFrame(QWidget* client)
{
    QGroupBox* f = MakeFrame(client, "animationframe", QStringLiteral("Animation"));
    auto* setsLabel = MakeLabel(f, "Label7", QStringLiteral("Texture sets in selected *.opt"));
    animtexturesetlist_ = MakeList(f, "animtexturesetlist", true);
    animselalltextures_ = MakeButton(f, "animselalltextures", QStringLiteral("Select all"));
    animdeselalltextures_ = MakeButton(f, "animdeselalltextures", QStringLiteral("Deselect all"));
    animbutbegin_ = MakeButton(f, "animbutbegin", QStringLiteral("SCAN"), true);
    animbutbegin_->setEnabled(false);
    auto* texturesLabel = MakeLabel(f, "Label6", QStringLiteral("Textures in selected texture set"));
    animtexturelist_ = MakeList(f, "animtexturelist", false);

    auto* grid = new QGridLayout(f);
    grid->addWidget(setsLabel, 0, 0);
    grid->addWidget(animtexturesetlist_, 1, 0);
    grid->addLayout(Row({animselalltextures_, animdeselalltextures_}), 2, 0);
    grid->addWidget(animbutbegin_, 3, 0);
    grid->addWidget(texturesLabel, 0, 1);
    grid->addWidget(animtexturelist_, 1, 1, 3, 1);
    grid->setRowStretch(1, 1);
    return f;
}

QGroupBox* LathworkWindow::BuildCloakingFrame(QWidget* client)
{
    QGroupBox* f = MakeFrame(client, "cloakingframe", QStringLiteral("Cloaking"));
    auto* heading = MakeLabel(f, "Label1", QStringLiteral("Distance (KM) *.opt disappears"));
    auto* highLabel = MakeLabel(f, "cloakhighlabel", QStringLiteral("High visibility"));
    cloakhighvisdistance_ = MakeBox(f, "cloakhighvisdistance", QStringLiteral("never"));
    cloakhighvisdistance_->setEnabled(false);
    auto* lowLabel = MakeLabel(f, "cloaklowlabel", QStringLiteral("Low visibility"));
    cloaklowvisdistance_ = MakeBox(f, "cloaklowvisdistance", QStringLiteral("never"));
    cloaklowvisdistance_->setEnabled(false);
    auto* hint = MakeLabel(f, "cloakhint",
                           QStringLiteral("Type kilometres, NEVER or ALWAYS and press Enter, or drag the ships "
                                          "along the scale."));
    hint->setWordWrap(true);
    cloakbutbegin_ = MakeButton(f, "cloakbutbegin", QStringLiteral("SCAN"), true);
    cloakbutbegin_->setEnabled(false);

    auto* grid = new QGridLayout(f);
    grid->addWidget(heading, 0, 0, 1, 3);
    grid->addWidget(highLabel, 1, 0);
    grid->addWidget(cloakhighvisdistance_, 1, 1);
    grid->addWidget(lowLabel, 2, 0);
    grid->addWidget(cloaklowvisdistance_, 2, 1);
    grid->addWidget(hint, 3, 0, 1, 3);
    grid->addWidget(cloakbutbegin_, 5, 0, 1, 2);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(2, 1);
    return f;
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
    connect(animtexturesetlist_, &ListBox::actionDone, this, &LathworkWindow::SetListChanged);
    connect(animtexturelist_, &ListBox::actionDone, this, [this] { PreviewTexture(animtexturelist_); });
    ConnectColourMode(*illum_);
    ConnectColourMode(*trans_);

    // A click on a file arms even when it is the file already chosen.
    connect(optfile_, &QListWidget::itemClicked, this, [this] { fileClicked_ = true; });
    connect(optfile_, &ListBox::actionDone, this, &LathworkWindow::FileChoiceChanged);
    connect(optdirectory_, &lathwork::app::FolderList::pathChanged, this, &LathworkWindow::FolderChanged);
    connect(optdirectory_, &lathwork::app::FolderList::folderRefused, this, [this](const QString& problem) {
        lathwork::app::ShowMessage(this, {lathwork::app::MessageKind::Error, QStringLiteral("Lathwork"), problem});
    });
    connect(optdrive_, &lathwork::app::DriveList::driveChanged, this, &LathworkWindow::DriveChanged);
    connect(folderWatch_, &QFileSystemWatcher::directoryChanged, this, &LathworkWindow::FolderContentChanged);

    connect(bmpdisplay_, &PreviewPane::pointerMoved, this, &LathworkWindow::PointerMoved);
    connect(bmpdisplay_, &PreviewPane::clicked, this, &LathworkWindow::PreviewClicked);
    connect(bmpdisplay_, &PreviewPane::scrolled, this, &LathworkWindow::FollowPointer);
    // The view follows every control that changes what it shows.
    connect(lightingrowbar_, &QSlider::valueChanged, this, [this](int row) {
        lightingrowtext_->setNum(row);
        ShowTexture();
    });
    // The result and the zoom change what lies under a resting pointer.
    const auto redraw = [this] {
        ShowTexture();
        FollowPointer();
    };
    connect(previewresult_, &QCheckBox::toggled, this, redraw);
    connect(previewzoom_, &QComboBox::currentIndexChanged, this, redraw);
    connect(transopacitybar_, &QScrollBar::valueChanged, this, &LathworkWindow::ShowTexture);
}

void LathworkWindow::ConnectColourMode(ColourMode& m)
{
    connect(m.selectAll, &QPushButton::clicked, this, [this, &m] { SelectAll(m.textures, true); });
    connect(m.deselectAll, &QPushButton::clicked, this, [this, &m] { SelectAll(m.textures, false); });
    connect(m.textures, &ListBox::actionDone, this, [this, &m] { TextureListChanged(m); });
    for (ListBox* list : {m.red, m.green, m.blue}) {
        connect(list, &ListBox::actionDone, this, [this, &m, list] { ColourRowChanged(m, list); });
    }
    connect(m.tolerance, &QScrollBar::valueChanged, this, [this, &m] { RemarkPickedColours(m); });
    connect(m.remove, &QPushButton::clicked, this, [this, &m] { RemoveColour(m); });
    connect(m.custom, &QRadioButton::clicked, this, [this, &m] { CustomSelectClicked(m); });
    connect(m.entire, &QRadioButton::clicked, this, [this, &m] { EntireTextureClicked(m); });
    connect(m.custom, &QRadioButton::toggled, this, &LathworkWindow::ShowTexture);
}
