// The main window's layout, menus, enabling rules and window commands. The file commands
// are in form_main_files.cpp.
#include "ui/form_main.h"

#include "core/image/image_document.h"
#include "core/tools/enabling_rules.h"
#include "core/tools/window_place.h"
#include "ui/app_info.h"
#include "ui/application.h"
#include "ui/form_blink.h"
#include "ui/form_cree_anim.h"
#include "ui/form_image.h"
#include "ui/tool_icons.h"
#include "ui/workspace.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace orv::ui {

TFormMain::TFormMain(TWorkspace& workspace, QWidget* parent) : QMainWindow(parent), workspace_(workspace) {
    setObjectName("FormMain");
    setWindowTitle(ApplicationTitle());
    setWindowIcon(QIcon(DrawPicture(TPicture::AboutIcon, 32)));

    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateSpeedPanel();
    SpeedPanel->setParent(client);
    layout->addWidget(SpeedPanel);
    MdiArea = new QMdiArea(client);
    MdiArea->setObjectName("ClientArea");
    MdiArea->setBackground(palette().brush(QPalette::Dark));
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    layout->addWidget(MdiArea, 1);
    setCentralWidget(client);
    CreateMenus();
    CreateStatusBar();
    setAcceptDrops(true);

    workspace_.SetFrame(MdiArea);
    connect(&workspace_, &TWorkspace::RuleApplied, this,
            [this](const auto& states) { ApplyRuleTo(*this, states); });
    connect(&workspace_, &TWorkspace::ReadoutShown, this,
            [this](const QString& x, const QString& y, const QString& intensity,
                   const QString& rightAscension, const QString& declination) {
                SetStatusPanel(0, x);
                SetStatusPanel(1, y);
                SetStatusPanel(2, intensity);
                SetStatusPanel(4, rightAscension);
                SetStatusPanel(5, declination);
                for (QLabel* sky : {StatusPanels[4], StatusPanels[5]})
                    sky->setVisible(!rightAscension.isEmpty());
            });
    workspace_.ClearReadout();
    connect(&workspace_, &TWorkspace::HeaderWindowRequested, this,
            [this] { RunCommand([this] { EnteteFITS1Click(); }); });
    connect(MdiArea, &QMdiArea::subWindowActivated, this, &TFormMain::SubWindowActivated);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &TFormMain::UpdateMenuItems);
    ApplyRuleTo(*this, MainWindowStartRule());
}

TFormMain::~TFormMain() {
    disconnect(qApp, &QGuiApplication::focusWindowChanged, this, &TFormMain::UpdateMenuItems);
    disconnect(MdiArea, nullptr, this, nullptr);
    disconnect(&workspace_, nullptr, this, nullptr);
}

void TFormMain::CreateSpeedPanel() {
    auto* panel = new QFrame;
    panel->setObjectName("SpeedPanel");
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setFixedHeight(33);
    SpeedPanel = panel;
    struct TButton {
        QToolButton** Member;
        const char* Name;
        int X;
        const char* Hint;
        TPicture Picture;
        void (TFormMain::*Handler)();
    };
    const TButton buttons[] = {
        {&SaveBtn, "SaveBtn", 7, "Enregistrer", TPicture::Save, &TFormMain::FileSaveItemClick},
        {&OpenBtn, "OpenBtn", 31, "Ouvrir", TPicture::Open, &TFormMain::FileOpenItemClick},
        {&SpeedPrint, "SpeedPrint", 55, "Imprimer", TPicture::Print, &TFormMain::Imprimer1Click},
        {&ExitBtn, "ExitBtn", 96, "Quitter", TPicture::Exit, &TFormMain::FileExitItemClick},
        {&SpeedPal, "SpeedPal", 136, "Choix des palettes", TPicture::Palette, &TFormMain::SpeedPalClick},
        {&SpeedSeuils, "SpeedSeuils", 160, "Réglage des seuils", TPicture::Thresholds,
         &TFormMain::SpeedSeuilsClick},
        {&SpeedStat, "SpeedStat", 184, "Statistiques", TPicture::Statistics, &TFormMain::SpeedStatClick},
        {&SpeedButton1, "SpeedButton1", 224, "Créer une animation", TPicture::Animation,
         &TFormMain::SpeedButton1Click},
    };
    for (const TButton& b : buttons) {
        auto* button = new QToolButton(panel);
        button->setObjectName(b.Name);
        button->setGeometry(b.X, 3, 25, 25);
        button->setToolTip(QString::fromUtf8(b.Hint));
        button->setIcon(ToolIcon(b.Picture));
        button->setIconSize(QSize(18, 18));
        button->setAutoRaise(true);
        const auto handler = b.Handler;
        connect(button, &QToolButton::clicked, this,
                [this, handler] { RunCommand([&] { (this->*handler)(); }); });
        *b.Member = button;
    }
}

void TFormMain::CreateMenus() {
    auto item = [this](QMenu* menu, const char* name, const char* caption, QKeySequence key,
                       void (TFormMain::*handler)()) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(name);
        if (!key.isEmpty()) a->setShortcut(key);
        connect(a, &QAction::triggered, this, [this, handler] { RunCommand([&] { (this->*handler)(); }); });
        return a;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* a = menu->addSeparator();
        a->setObjectName(name);
        return a;
    };
    auto menu = [this](const char* name, const char* caption) {
        QMenu* m = menuBar()->addMenu(QString::fromUtf8(caption));
        m->setObjectName(name);
        return m;
    };
    menuBar()->setObjectName("MainMenu1");

    File1 = menu("File1", "&Fichier");
    FileOpenItem = item(File1, "FileOpenItem", "&Ouvrir", Qt::Key_F3, &TFormMain::FileOpenItemClick);
    Ouvrirunlot1 = item(File1, "Ouvrirunlot1", "&Ouvrir un lot", {}, &TFormMain::Ouvrirunlot1Click);
    FileSaveItem = item(File1, "FileSaveItem", "&Enregistrer", Qt::Key_F2, &TFormMain::FileSaveItemClick);
    EnregistrersousGif1 =
        item(File1, "EnregistrersousGif1", "Enregistrer sous &Gif", {}, &TFormMain::EnregistrersousGif1Click);
    Toutenrgistrer1 =
        item(File1, "Toutenrgistrer1", "Tout &enregistrer", {}, &TFormMain::Toutenrgistrer1Click);
    FileCloseItem = item(File1, "FileCloseItem", "&Fermer", QKeySequence(Qt::CTRL | Qt::Key_C),
                         &TFormMain::FileCloseItemClick);
    Toutfermer1 = item(File1, "Toutfermer1", "Tout &fermer", {}, &TFormMain::Toutfermer1Click);
    N1 = separator(File1, "N1");
    Configurationdelimpression1 = item(File1, "Configurationdelimpression1", "&Configuration de l'impression",
                                       {}, &TFormMain::Configurationdelimpression1Click);
    Imprimer1 = item(File1, "Imprimer1", "&Imprimer", Qt::Key_F5, &TFormMain::Imprimer1Click);
    N4 = separator(File1, "N4");
    FileExitItem = item(File1, "FileExitItem", "&Quitter", {}, &TFormMain::FileExitItemClick);

    Visualisation1 = menu("Visualisation1", "&Visualisation");
    RglagesdesSeuils1 = item(Visualisation1, "RglagesdesSeuils1", "&Réglages des Seuils", Qt::Key_F6,
                             &TFormMain::RglagesdesSeuils1Click);
    Palettes1 = item(Visualisation1, "Palettes1", "&Palettes", {}, &TFormMain::Palettes1Click);
    EnteteFITS1 = item(Visualisation1, "EnteteFITS1", "En-tête FITS…", {}, &TFormMain::EnteteFITS1Click);
    N8 = separator(Visualisation1, "N8");
    ZoomAvant1 = item(Visualisation1, "ZoomAvant1", "Zoom &avant", QKeySequence(Qt::CTRL | Qt::Key_Plus),
                      &TFormMain::ZoomAvant1Click);
    // "+" is a shifted key on most keyboards: Ctrl and the unshifted key zoom in too.
    ZoomAvant1->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    ZoomArriere1 = item(Visualisation1, "ZoomArriere1", "Zoom a&rrière",
                        QKeySequence(Qt::CTRL | Qt::Key_Minus), &TFormMain::ZoomArriere1Click);
    TailleReelle1 = item(Visualisation1, "TailleReelle1", "&Taille réelle (1:1)",
                         QKeySequence(Qt::CTRL | Qt::Key_0), &TFormMain::TailleReelle1Click);
    AjusterImage1 = item(Visualisation1, "AjusterImage1", "Ajuster l'&image à la fenêtre", {},
                         &TFormMain::AjusterImage1Click);
    N7 = separator(Visualisation1, "N7");
    Animation1 = item(Visualisation1, "Animation1", "Créer une &Animation", {}, &TFormMain::Animation1Click);
    N9 = separator(Visualisation1, "N9");
    CreateStartDisplayMenu();
    CreateDebayerMenu();

    Window1 = menu("Window1", "Fe&nêtre");
    Dupliquer1 = item(Window1, "Dupliquer1", "&Dupliquer", {}, &TFormMain::Dupliquer1Click);
    WindowCascadeItem =
        item(Window1, "WindowCascadeItem", "&Cascade", {}, &TFormMain::WindowCascadeItemClick);
    WindowTileItem = item(Window1, "WindowTileItem", "&Mosaïque", {}, &TFormMain::WindowTileItemClick);
    WindowArrangeItem =
        item(Window1, "WindowArrangeItem", "&Réorganiser les icônes", {}, &TFormMain::WindowArrangeItemClick);
    WindowMinimizeItem =
        item(Window1, "WindowMinimizeItem", "&Tout réduire", {}, &TFormMain::WindowMinimizeItemClick);
    Comparer1 = item(Window1, "Comparer1", "C&omparer deux images", {}, &TFormMain::Comparer1Click);
    Comparer1->setEnabled(false); // two images are needed
    connect(Window1, &QMenu::aboutToShow, this, &TFormMain::UpdateWindowList);

    Help1 = menu("Help1", "&Aide");
    Rubriquesdaide1 =
        item(Help1, "Rubriquesdaide1", "&Rubriques d'aide", {}, &TFormMain::Rubriquesdaide1Click);
    N2 = separator(Help1, "N2");
    HelpAboutItem = item(Help1, "HelpAboutItem", "&A propos", {}, &TFormMain::HelpAboutItemClick);
}

void TFormMain::CreateStartDisplayMenu() {
    Affichageouverture1 = Visualisation1->addMenu(QStringLiteral("Affichage à l'ouverture"));
    Affichageouverture1->setObjectName("Affichageouverture1");
    auto* group = new QActionGroup(Affichageouverture1);
    const struct {
        const char* Name;
        const char* Caption;
        std::optional<TAutoDisplay> Mode;
    } choices[] = {{"OuvertureSeuils1", "seuils du fichier", std::nullopt},
                   {"OuvertureZscale1", "zscale", TAutoDisplay::ZScale},
                   {"OuvertureMtf1", "MTF", TAutoDisplay::Mtf}};
    for (const auto& c : choices) {
        QAction* a = Affichageouverture1->addAction(QString::fromUtf8(c.Caption));
        a->setObjectName(c.Name);
        a->setCheckable(true);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, mode = c.Mode] { workspace_.ChooseStartDisplay(mode); });
    }
    // The choice in force, which `orvanel --auto` may have set for this run.
    connect(Affichageouverture1, &QMenu::aboutToShow, this, [this] {
        const QList<QAction*> items = Affichageouverture1->actions();
        const std::optional<TAutoDisplay> mode = workspace_.StartDisplay();
        items[mode ? (*mode == TAutoDisplay::ZScale ? 1 : 2) : 0]->setChecked(true);
    });
}

void TFormMain::CreateDebayerMenu() {
    Dematricage1 = Visualisation1->addMenu(QStringLiteral("Dématriçage"));
    Dematricage1->setObjectName("Dematricage1");
    auto* group = new QActionGroup(Dematricage1);
    const struct {
        const char* Name;
        const char* Caption;
        TDebayer Method;
    } choices[] = {{"DematricageBilineaire1", "bilinéaire", TDebayer::Bilinear},
                   {"DematricageSuperpixel1", "superpixel", TDebayer::Superpixel},
                   {"DematricageAucun1", "aucun", TDebayer::None}};
    for (const auto& c : choices) {
        QAction* a = Dematricage1->addAction(QString::fromUtf8(c.Caption));
        a->setObjectName(c.Name);
        a->setCheckable(true);
        a->setData(int(c.Method));
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, method = c.Method] {
            if (TFormImage* image = ActiveMDIChild()) RunCommand([&] { image->SetDebayer(method); });
            workspace_.ChooseDebayer(method); // for the colour images opened next
            workspace_.UpdateImageTools();
        });
    }
    // Only a colour-filter mosaic has a choice; the check follows the active window.
    connect(Visualisation1, &QMenu::aboutToShow, this, [this] {
        const TFormImage* image = ActiveMDIChild();
        const bool mosaic = image && image->Document().PixelType != kPixelNone &&
                            image->Document().Colour.Pattern.has_value();
        Dematricage1->menuAction()->setEnabled(mosaic);
        for (QAction* a : Dematricage1->actions())
            a->setChecked(image && a->data().toInt() == int(image->Debayer()));
    });
}

void TFormMain::CreateStatusBar() {
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setFixedHeight(19);
    StatusBar->setSizeGripEnabled(false);
    // Each panel holds the longest text it shows in its own font: five-digit coordinates, a
    // 16-bit value or a real one of eight significant digits, and the sky coordinates.
    const char* longest[6] = {"X : 16384", "Y : 16384",        "Intensité : -12345.678",
                              "00000",     "AD : 00:00:00.00", "Dec : +00:00:00.0"};
    for (int i = 0; i < 6; ++i) {
        auto* panel = new QLabel(StatusBar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        const QFontMetrics metrics = panel->fontMetrics();
        panel->setFixedWidth(metrics.horizontalAdvance(QString::fromUtf8(longest[i])) +
                             2 * panel->frameWidth() + 2 * metrics.horizontalAdvance(QLatin1Char('x')));
        StatusBar->addWidget(panel);
        StatusPanels[static_cast<size_t>(i)] = panel;
        // The spare panel stays hidden: an empty box would stand between the intensity and the
        // sky coordinates.
        panel->setVisible(i < 3);
    }
    setStatusBar(StatusBar);
}

int TFormMain::MDIChildCount() const {
    return static_cast<int>(MdiArea->subWindowList().size());
}

TFormImage* TFormMain::CurrentImage() const {
    return workspace_.CurrentImage();
}

TFormImage* TFormMain::ActiveMDIChild() const {
    return qobject_cast<TFormImage*>(MdiArea->currentSubWindow());
}

QList<TFormImage*> TFormMain::MDIChildren() const {
    QList<TFormImage*> out;
    const auto history = MdiArea->subWindowList(QMdiArea::ActivationHistoryOrder); // most recent last
    for (auto it = history.rbegin(); it != history.rend(); ++it)
        if (auto* w = qobject_cast<TFormImage*>(*it)) out << w;
    return out;
}

QSize TFormMain::MainClientSize() const {
    return {centralWidget()->width(), centralWidget()->height() + StatusBar->height()};
}

void TFormMain::SetStatusPanel(int index, const QString& text) {
    if (index >= 0 && index < int(StatusPanels.size())) {
        QLabel* panel = StatusPanels[static_cast<size_t>(index)];
        panel->setText(text);
        // A colour image's three values may not fit: the panel grows, and stays so.
        const QFontMetrics metrics = panel->fontMetrics();
        const int needed = metrics.horizontalAdvance(text) + 2 * panel->frameWidth() +
                           2 * metrics.horizontalAdvance(QLatin1Char('x'));
        if (needed > panel->width()) panel->setFixedWidth(needed);
    }
}

void TFormMain::SubWindowActivated(QMdiSubWindow* window) {
    if (closingAll_) return;
    auto* image = qobject_cast<TFormImage*>(window);
    // The frame reports an activation again when the program comes back from another
    // window; the image's activation handler runs only when the active child changes.
    if (image && image != lastActivated_) {
        lastActivated_ = image;
        RunCommand([image] { image->FormActivate(); });
    }
    UpdateMenuItems();
}

void TFormMain::UpdateMenuItems() {
    const TFormImage* active = ActiveMDIChild();
    workspace_.ApplyRule(MenuItemsRule(
        MDIChildCount(), active ? std::optional<uint8_t>(active->Document().Kind) : std::nullopt));
    workspace_.DisablePalettesInColour(active);
}

void TFormMain::UpdateImageTools() {
    workspace_.UpdateImageTools();
}

void TFormMain::UpdateWindowList() {
    for (QAction* a : windowListActions_) {
        Window1->removeAction(a);
        delete a;
    }
    windowListActions_.clear();
    const auto windows = MdiArea->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty()) return;
    QAction* line = Window1->addSeparator();
    windowListActions_ << line;
    int number = 1;
    for (QMdiSubWindow* w : windows) {
        QString text = w->windowTitle();
        text.replace('&', "&&");
        QAction* a = Window1->addAction(number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(text)
                                                    : QStringLiteral("%1 %2").arg(number).arg(text));
        a->setCheckable(true);
        a->setChecked(w == MdiArea->currentSubWindow());
        QPointer<QMdiSubWindow> target = w;
        connect(a, &QAction::triggered, this, [this, target] {
            if (target) {
                if (target->isMinimized()) target->showNormal();
                MdiArea->setActiveSubWindow(target);
            }
        });
        windowListActions_ << a;
        ++number;
    }
}

void TFormMain::FileExitItemClick() {
    close();
}

namespace {

// One step of a cascade: a caption and a little more.
int CascadeStep(const QWidget* window) {
    return window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window) + 4;
}

// A cascade starts again at the corner before a window would keep less than 100 pixels.
bool CascadeFits(int offset, QSize area) {
    return offset + 100 <= area.width() && offset + 100 <= area.height();
}

} // namespace

QPoint TFormMain::NextCascadePlace() const {
    const auto windows = MdiArea->subWindowList(QMdiArea::CreationOrder);
    if (windows.isEmpty()) return {0, 0};
    const QMdiSubWindow* last = windows.last();
    const QPoint next = last->pos() + QPoint(CascadeStep(last), CascadeStep(last));
    const QSize area = MdiArea->viewport()->size();
    return CascadeFits(std::max(next.x(), next.y()), area) ? next : QPoint(0, 0);
}

void TFormMain::WindowCascadeItemClick() {
    // Each window keeps its size (within the frame), one caption lower and further right than
    // the one before; the most recently activated ends on top.
    const auto children = MDIChildren();
    const QSize area = MdiArea->viewport()->size();
    int offset = 0;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        TFormImage* w = *it;
        if (w->isMinimized() || w->isMaximized()) w->showNormal();
        if (!CascadeFits(offset, area)) offset = 0;
        w->move(offset, offset);
        w->resize(std::min(w->width(), area.width() - offset), std::min(w->height(), area.height() - offset));
        w->raise();
        offset += CascadeStep(w);
    }
    if (!children.isEmpty()) MdiArea->setActiveSubWindow(children.first());
}

void TFormMain::WindowTileItemClick() {
    // Horizontal tiling: the windows one under the other, each as wide as the frame.
    QList<TFormImage*> shown;
    for (TFormImage* w : MDIChildren())
        if (!w->isMinimized()) shown << w;
    if (shown.isEmpty()) return;
    const QSize area = MdiArea->viewport()->size();
    const int n = static_cast<int>(shown.size());
    for (int i = 0; i < n; ++i) {
        TFormImage* w = shown[i]; // the active one at the top
        if (w->isMaximized()) w->showNormal();
        const int top = area.height() * i / n, bottom = area.height() * (i + 1) / n;
        w->setGeometry(0, top, area.width(), bottom - top);
    }
}

void TFormMain::WindowArrangeItemClick() {
    // The minimised windows in a row along the bottom of the frame.
    int x = 0;
    for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isMinimized()) continue;
        const QSize size = w->size();
        if (x > 0 && x + size.width() > MdiArea->viewport()->width()) x = 0;
        w->move(x, MdiArea->viewport()->height() - size.height());
        x += size.width();
    }
}

void TFormMain::WindowMinimizeItemClick() {
    const auto children = MDIChildren();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        (*it)->showMinimized();
}

void TFormMain::Comparer1Click() {
    // The active image is A; B is the next one in the window list.
    QList<TFormImage*> images = MDIChildren();
    if (TFormImage* active = ActiveMDIChild(); active && images.removeOne(active)) images.prepend(active);
    if (blink_) blink_->close();
    auto* blink = new TFormBlink(workspace_, images, this);
    blink_ = blink;
    blink->show();
    blink->activateWindow();
}

TFormBlink* TFormMain::BlinkWindow() const {
    return static_cast<TFormBlink*>(blink_.data());
}

void TFormMain::ShowTool(QWidget* tool, int left, bool besideImage) {
    if (!tool) return;
    if (!placedTools_.contains(tool)) {
        // Over the frame, never over the menus and the tool bar a click is meant for; the user's
        // own placement is kept afterwards. Before its first show the window manager has not
        // framed the tool yet: its title bar will come above the place given, so room is left
        // for it.
        placedTools_ << tool;
        const QRect frame(MdiArea->mapToGlobal(QPoint(0, 0)), MdiArea->size());
        const TRectangle room{frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1};
        const int titleBar = tool->frameGeometry().height() > tool->height()
                                 ? 0
                                 : style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, tool) + 4;
        const QSize size = tool->frameGeometry().size().expandedTo(tool->size()) + QSize(0, titleBar);
        TRectangle place;
        if (besideImage) {
            // Beside the image it works on, which it must not hide.
            QRect image;
            if (const TFormImage* current = CurrentImage(); current && current->isVisible())
                image = QRect(MdiArea->viewport()->mapToGlobal(current->pos()), current->size());
            place = PlaceBeside(
                room, {size.width(), size.height()},
                {image.left(), image.top(), image.left() + image.width(), image.top() + image.height()}, 8);
        } else {
            const int wantedLeft = left >= 0 ? frame.left() + left : frame.right() + 1 + left - size.width();
            place = PlaceInFrame(room, {size.width(), size.height()}, wantedLeft, frame.top() + 8);
        }
        tool->move(place.Left, place.Top + titleBar);
    }
    tool->show();
    tool->raise();
}

void TFormMain::SpeedSeuilsClick() {
    ShowTool(tools_.Seuils, 8, true);
}

void TFormMain::RglagesdesSeuils1Click() {
    SpeedSeuilsClick();
}

void TFormMain::SpeedPalClick() {
    ShowTool(tools_.Pal, -8);
}

void TFormMain::Palettes1Click() {
    SpeedPalClick();
}

void TFormMain::ZoomAvant1Click() {
    if (TFormImage* image = ActiveMDIChild()) image->ZoomInClick();
}

void TFormMain::ZoomArriere1Click() {
    if (TFormImage* image = ActiveMDIChild()) image->ZoomOutClick();
}

void TFormMain::TailleReelle1Click() {
    if (TFormImage* image = ActiveMDIChild()) image->ZoomOneToOneClick();
}

void TFormMain::AjusterImage1Click() {
    if (TFormImage* image = ActiveMDIChild()) image->Ajusterlimagelafentre1Click();
}

void TFormMain::EnteteFITS1Click() {
    ShowTool(tools_.Entete, 8, true);
    if (tools_.Entete) tools_.Entete->activateWindow();
}

void TFormMain::SpeedButton1Click() {
    // Left of the palettes, which keep the top-right corner.
    ShowTool(tools_.CreeAnim, -(16 + (tools_.Pal ? tools_.Pal->frameGeometry().width() : 0)));
}

void TFormMain::Animation1Click() {
    SpeedButton1Click();
}

void TFormMain::HelpAboutItemClick() {
    if (tools_.APropos) Dialogs().Exec(*tools_.APropos);
}

void TFormMain::Rubriquesdaide1Click() {
    // Over the frame of image windows: the menus stay free.
    Dialogs().ShowHelp(MdiArea);
}

void TFormMain::closeEvent(QCloseEvent* event) {
    // An unsaved animation is asked about; image windows close without a question.
    if (tools_.CreeAnim && !tools_.CreeAnim->MayDropAnimation()) {
        event->ignore();
        return;
    }
    event->accept();
    emit Closed();
}

} // namespace orv::ui
