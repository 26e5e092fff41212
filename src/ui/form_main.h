// The main window: a frame of image windows with the menus, the tool buttons of
// SpeedPanel and the status bar. It runs the two enabling rules that keep commands and tool
// controls usable only when they can act; the workspace keeps the current image and carries
// the rules to the tool windows.
#pragma once

#include "ui/dialogs.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>

namespace orv {
enum class TLoadResult;
}

class QDialog;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStatusBar;
class QToolButton;

namespace orv::ui {

class TFormBlink;
class TFormCreeAnim;
class TFormImage;
class TFormImpr;
class TStat;
class TWorkspace;

// The question of "Enregistrer sous Gif" and of printing to a PDF file when the file exists.
QString OverwriteFileQuestion(const QString& fileName);
// "Ouvrir un lot"'s report of a file no reader reads.
QString UnknownFormatMessage(const QString& fileName);

// The tool windows the main window's commands show.
struct TToolWindows {
    QWidget* Seuils = nullptr;
    QWidget* Pal = nullptr;
    TFormCreeAnim* CreeAnim = nullptr;
    TStat* Stat = nullptr;
    TFormImpr* Impr = nullptr;
    QDialog* APropos = nullptr;
    QWidget* Entete = nullptr; // the header window
};

class TFormMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit TFormMain(TWorkspace& workspace, QWidget* parent = nullptr);
    ~TFormMain() override;

    // The tool windows exist after the main window: the program hands them over.
    void SetToolWindows(const TToolWindows& tools) { tools_ = tools; }

    // The image window activated last; empty when none is (or after "Tout fermer").
    TFormImage* CurrentImage() const;

    // The frame.
    int MDIChildCount() const;
    TFormImage* ActiveMDIChild() const;
    // Index 0 the most recently activated.
    QList<TFormImage*> MDIChildren() const;
    // The main window's client area (tool bar, frame and status bar together).
    QSize MainClientSize() const;
    // A new empty image window, shown and active.
    TFormImage* CreateImageWindow();
    // The same, not yet shown: its place in the cascade and its first size.
    TFormImage* NewImageWindow();
    void ShowImageWindow(TFormImage* window);
    // Destroys an image window at once, without its close handler.
    void DiscardImageWindow(TFormImage* window);

    // "Ouvrir" once a name is chosen; files given on the command line or dropped go here.
    void OpenFile(const QString& fileName);
    // A new image window for `load`; a load that is refused or raises an error leaves no window
    // (the error goes on to the caller).
    TLoadResult LoadInNewWindow(const std::function<TLoadResult(TFormImage&)>& load);
    void CopyImage(TFormImage* source, TFormImage* target);

    void UpdateMenuItems();
    void UpdateImageTools();
    void SetStatusPanel(int index, const QString& text);
    // The "Fe&nêtre" menu's list of image windows, rebuilt each time the menu opens.
    void UpdateWindowList();

    static QList<TFileFilter> OpenDialogFilter();

    // Handlers.
    void FileOpenItemClick();
    void Ouvrirunlot1Click();
    void FileSaveItemClick();
    void EnregistrersousGif1Click();
    void Toutenrgistrer1Click();
    void FileCloseItemClick();
    void Toutfermer1Click();
    void Configurationdelimpression1Click();
    void Imprimer1Click();
    void FileExitItemClick();
    void RglagesdesSeuils1Click();
    void Palettes1Click();
    // The active image window's zoom.
    void ZoomAvant1Click();
    void ZoomArriere1Click();
    void TailleReelle1Click();
    void AjusterImage1Click();
    void Animation1Click();
    void EnteteFITS1Click();
    void Dupliquer1Click();
    void WindowCascadeItemClick();
    void WindowTileItemClick();
    void WindowArrangeItemClick();
    void WindowMinimizeItemClick();
    // A new blink comparator over the open images (one at a time: the former one closes).
    void Comparer1Click();
    TFormBlink* BlinkWindow() const;
    void Rubriquesdaide1Click();
    void HelpAboutItemClick();
    void SpeedSeuilsClick();
    void SpeedPalClick();
    void SpeedStatClick();
    void SpeedButton1Click();

    // Controls.
    QWidget* SpeedPanel = nullptr;
    QToolButton* SaveBtn = nullptr;
    QToolButton* OpenBtn = nullptr;
    QToolButton* SpeedPrint = nullptr;
    QToolButton* ExitBtn = nullptr;
    QToolButton* SpeedPal = nullptr;
    QToolButton* SpeedSeuils = nullptr;
    QToolButton* SpeedStat = nullptr;
    QToolButton* SpeedButton1 = nullptr; // "Créer une animation"
    QMdiArea* MdiArea = nullptr;
    QStatusBar* StatusBar = nullptr;
    // X, Y, intensity, a spare one (never shown), then the right ascension and declination,
    // shown only while the image under the mouse has sky coordinates.
    std::array<QLabel*, 6> StatusPanels{};

    QMenu* File1 = nullptr; // "Fichier"
    QAction* FileOpenItem = nullptr;
    QAction* Ouvrirunlot1 = nullptr;
    QAction* FileSaveItem = nullptr;
    QAction* EnregistrersousGif1 = nullptr;
    QAction* Toutenrgistrer1 = nullptr; // "Tout enregistrer": every PIC and FITS image saved
    QAction* FileCloseItem = nullptr;
    QAction* Toutfermer1 = nullptr;
    QAction* N1 = nullptr; // separator before the printing commands
    QAction* Configurationdelimpression1 = nullptr;
    QAction* Imprimer1 = nullptr;
    QAction* N4 = nullptr; // separator before "Quitter"
    QAction* FileExitItem = nullptr;
    QMenu* Visualisation1 = nullptr;
    QAction* RglagesdesSeuils1 = nullptr;
    QAction* Palettes1 = nullptr;
    QMenu* Dematricage1 = nullptr;  // "Dématriçage": bilinéaire, superpixel, aucun
    QAction* EnteteFITS1 = nullptr; // "En-tête FITS…"
    QAction* N8 = nullptr;          // separator before the zoom commands
    QAction* ZoomAvant1 = nullptr;
    QAction* ZoomArriere1 = nullptr;
    QAction* TailleReelle1 = nullptr;
    QAction* AjusterImage1 = nullptr; // "Ajuster l'image à la fenêtre"
    QAction* N7 = nullptr;            // separator before "Créer une Animation"
    QAction* Animation1 = nullptr;
    QAction* N9 = nullptr;                // separator before the start display
    QMenu* Affichageouverture1 = nullptr; // "Affichage à l'ouverture": seuils du fichier, zscale, MTF
    QMenu* Window1 = nullptr;             // "Fenêtre"
    QAction* Dupliquer1 = nullptr;
    QAction* WindowCascadeItem = nullptr;
    QAction* WindowTileItem = nullptr;
    QAction* WindowArrangeItem = nullptr;
    QAction* WindowMinimizeItem = nullptr;
    QAction* Comparer1 = nullptr; // "Comparer deux images": the blink comparator
    QMenu* Help1 = nullptr;       // "Aide"
    QAction* Rubriquesdaide1 = nullptr;
    QAction* N2 = nullptr; // separator before "A propos"
    QAction* HelpAboutItem = nullptr;

  signals:
    // The main window was closed: the program ends.
    void Closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void CreateSpeedPanel();
    void CreateMenus();
    void CreateStartDisplayMenu();
    // "Dématriçage": how the active colour-filter mosaic is shown.
    void CreateDebayerMenu();
    void CreateStatusBar();
    void SubWindowActivated(QMdiSubWindow* window);
    // Shows a tool window, the first time inside the frame under the tool bar, at `left` (from
    // the frame's left edge, or from its right edge when negative) and 8 pixels down, or, for a
    // tool `besideImage`, beside the current image window.
    void ShowTool(QWidget* tool, int left, bool besideImage = false);
    // Where a new image window opens: a caption lower and further right than the last one
    // opened, back at the corner when it would leave too little of itself in the frame.
    QPoint NextCascadePlace() const;

    TWorkspace& workspace_;
    TToolWindows tools_;
    QPointer<TFormImage> lastActivated_;
    QList<QPointer<QWidget>> placedTools_;
    bool closingAll_ = false;
    QList<QAction*> windowListActions_;
    QPointer<QWidget> blink_; // the blink comparator, while it is open
};

} // namespace orv::ui
