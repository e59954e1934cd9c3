#pragma once

#include "app/FormState.hpp"

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CloakingScale;
class QAction;
class QCheckBox;
class QComboBox;
class QFileSystemWatcher;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QSlider;
class QToolBar;

namespace lathwork::app {
class BackgroundWork;
class DriveList;
class FileList;
class FolderList;
class ListBox;
class PreviewPane;
class TextureView;
struct ColourMode;
struct StaleScans;
struct ViewRequest;
} // namespace lathwork::app
namespace lathwork {
struct FileChange;
namespace rules {
class ChangeHistory;
}
} // namespace lathwork

// The one window of the tool: the OPT chooser, the four mode frames with their SCAN/BEGIN
// buttons, the preview pane with its light level, result view and zoom, the status line, and
// Undo and Redo of every BEGIN. Every handler runs to completion; errors of the core end in one
// message box naming the file and the problem. The rules of a list run once for each user
// action that changed it, whether mouse, keyboard or a select-all button.
class LathworkWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit LathworkWindow(QWidget* parent = nullptr);
    ~LathworkWindow() override;

    FormState& State() { return state_; }
    const FormState& State() const { return state_; }

    // Opens the model at path as choosing its folder and clicking it in the file list would. A
    // file that cannot be opened gets one message box and leaves the window as it was.
    bool OpenModel(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // While a long call runs, closing waits for it and happens when it is over.
    void closeEvent(QCloseEvent* event) override;

private:
    // Building the controls.
    struct TextureFrameNames {
        const char* frame;
        const char* caption;
        const char* prefix;         // of the controls' names: "illum", "trans"
        const char* listLabel;
        const char* toleranceLabel;
        bool opacity;               // Transparency only
    };
    void BuildMenus();
    void BuildClientArea();
    QLayout* BuildChooser(QWidget* client);
    QLayout* BuildViewControls(QWidget* client);
    QLayout* BuildLightControls(QWidget* client);
    // The client area's growth beyond its start size: half to the pane, half to the lists.
    void FitToClient();
    // A colour mode's frame: its texture list takes the frame's growth, its colour lists none.
    void FitColourFrame(lathwork::app::ColourMode& mode);
    QGroupBox* BuildTextureFrame(QWidget* client, lathwork::app::ColourMode& mode, const TextureFrameNames& names);
    void LinkTintLists(lathwork::app::ColourMode& mode);
    QLayout* BuildOpacityControls(QGroupBox* frame);
    QGroupBox* BuildAnimationFrame(QWidget* client);
    QGroupBox* BuildCloakingFrame(QWidget* client);
    void Connect();
    void ConnectColourMode(lathwork::app::ColourMode& mode);

    // The File menu, the recent models, drops and the title (ModelOpening.cpp).
    void BuildFileMenu();
    void FillRecentMenu();
    void ShowModelInTitle();

    // Modes and the workflow.
    QString CurrentMode() const;
    void SwitchMode(const QString& mode, bool fromMenu);
    void ToolbarClicked();
    void BeginClicked(QPushButton* button);
    QString Instruction(const QString& mode) const;
    void SetStatus(const QString& text);
    void SelectAll(lathwork::app::ListBox* list, bool selected);

    // The chooser and its resets.
    QString OptPath() const;
    bool HasFile() const;
    void ApplyReset(bool arm);
    void FileChoiceChanged();
    void FolderChanged(const QString& path);
    void DriveChanged(const QString& root);
    void ShowFolder(const QString& path);
    void FolderContentChanged();

    // Scans.
    void ScanTextures(lathwork::app::ColourMode& mode);
    void ScanTextureSets();
    void ScanCloaking();
    void SetListChanged();
    void ListSetTextures();
    void ScanFailed(QPushButton* button);
    void ShowScanPrompt();
    void FinishScan(QPushButton* button, const QString& mode, bool disable);

    // Preview.
    void TextureListChanged(lathwork::app::ColourMode& mode);
    void PreviewTexture(lathwork::app::ListBox* list);
    void ExtractTextures();
    // Shows a picture that is not the texture (the backdrop, an empty pane).
    void SetTextureShown(bool shown);
    void ShowOnPane(const QImage& picture);
    // Draws the texture the preview holds as the light, result and zoom controls ask, when the
    // pane shows it.
    void ShowTexture();
    // What the light, result and zoom controls and the mode in front ask the pane to show.
    lathwork::app::ViewRequest ViewNow();
    // Reads the texture the pane shows again, after the file changed under it.
    void RefreshShownTexture();

    // Colour picking.
    lathwork::app::ColourMode* PickingMode();
    void PointerMoved(QPoint position);
    // The swatch shows the pixel now under the resting pointer (or keyboard cursor), after the
    // picture moved or changed beneath it.
    void FollowPointer();
    // Picks the pixel at position of the picture shown; a point outside it picks nothing.
    void PreviewClicked(QPoint position);
    void RemarkPickedColours(lathwork::app::ColourMode& mode);
    // The row-7 picture with marks: drawn as the view asks when it is the texture's.
    void ShowMarked(const QImage& marked);
    void UpdateBeginAfterPick(lathwork::app::ColourMode& mode);
    void ColourRowChanged(lathwork::app::ColourMode& mode, lathwork::app::ListBox* changed);
    void RemoveColour(lathwork::app::ColourMode& mode);
    void CustomSelectClicked(lathwork::app::ColourMode& mode);
    void EntireTextureClicked(lathwork::app::ColourMode& mode);
    void SetSwatch(lathwork::app::ColourMode& mode, QColor colour);
    void OpacityChanged(int value);

    // BEGIN.
    void RewriteIllumination();
    void RewriteTransparency();
    void RewriteAnimation();
    void RewriteCloaking();
    bool ConfirmRewrite(const std::function<void()>& check);

    // Undo and Redo (WindowHistory.cpp).
    void BuildEditMenu();
    // The chosen file as the history knows it; empty without one.
    std::string HistoryKey() const;
    // BEGIN wrote the chosen file: the change joins its history, and the pane shows the
    // texture as the file now holds it.
    bool FileRewritten(lathwork::FileChange change);
    // What a save could not keep (the owner, say), one message each; the file was saved.
    void ShowSaveWarnings(const std::vector<std::string>& warnings);
    void StepHistory(bool undo);
    void UpdateEditMenu();

    // Undo or Redo took the file from before to after (WindowStaleLists.cpp): every mode whose
    // button reads BEGIN gets its list (or distances) read again where the change made them
    // stale. Texture lists keep the selection of the names left.
    void RefreshStaleLists(const std::vector<std::uint8_t>& before, const std::vector<std::uint8_t>& after);
    void ApplyRescans(const lathwork::app::StaleScans& scans);

    // Runs work under the hourglass; an error shows one message box naming the file. Returns
    // whether the work finished.
    bool Guarded(const std::function<void()>& work);

    // Long calls of the core (WindowBackground.cpp): work runs off the GUI thread and this
    // returns when it is over, throwing what it threw. Call it within Guarded.
    void InBackground(const std::function<void()>& work);
    // Whether a long call is running: user actions that start another are ignored meanwhile.
    bool WorkRunning() const;
    lathwork::app::BackgroundWork* Background();

    FormState state_;

    QAction* transparencymenu_ = nullptr;
    QAction* animationmenu_ = nullptr;
    QAction* cloakingmenu_ = nullptr;
    QAction* illuminationmenu_ = nullptr;
    QAction* extracttexmenu_ = nullptr;
    QToolBar* imagemenu_ = nullptr;
    QMenu* openrecentmenu_ = nullptr;
    std::vector<QAction*> toolbarButtons_;

    lathwork::app::DriveList* optdrive_ = nullptr;
    lathwork::app::FolderList* optdirectory_ = nullptr;
    lathwork::app::FileList* optfile_ = nullptr;
    QFileSystemWatcher* folderWatch_ = nullptr;
    QString armedFile_;        // the file the last arm reset was for; empty when disarmed
    bool fileClicked_ = false; // the current action on the file list clicked a file

    QGroupBox* introframe_ = nullptr;
    QGroupBox* illuminationframe_ = nullptr;
    QGroupBox* transparencyframe_ = nullptr;
    QGroupBox* animationframe_ = nullptr;
    QGroupBox* cloakingframe_ = nullptr;

    std::unique_ptr<lathwork::app::ColourMode> illum_;
    std::unique_ptr<lathwork::app::ColourMode> trans_;

    lathwork::app::ListBox* animtexturesetlist_ = nullptr;
    lathwork::app::ListBox* animtexturelist_ = nullptr;
    QPushButton* animbutbegin_ = nullptr;
    QPushButton* animselalltextures_ = nullptr;
    QPushButton* animdeselalltextures_ = nullptr;

    QLineEdit* cloakhighvisdistance_ = nullptr;
    QLineEdit* cloaklowvisdistance_ = nullptr;
    QPushButton* cloakbutbegin_ = nullptr;
    CloakingScale* cloak_ = nullptr;

    QScrollBar* transopacitybar_ = nullptr;
    QLabel* transopacitydisplay_ = nullptr;

    lathwork::app::PreviewPane* bmpdisplay_ = nullptr;
    lathwork::app::PreviewPane* bmpholder_ = nullptr;
    QWidget* client_ = nullptr;
    QWidget* paneBorder_ = nullptr;
    QSlider* lightingrowbar_ = nullptr;
    QLabel* lightingrowtext_ = nullptr;
    QCheckBox* previewresult_ = nullptr;
    QComboBox* previewzoom_ = nullptr;
    // The texture bmpholder holds, and whether bmpdisplay shows it (rather than a backdrop or
    // nothing).
    std::unique_ptr<lathwork::app::TextureView> texture_;
    bool textureShown_ = false; // set through SetTextureShown

    QAction* undomenu_ = nullptr;
    QAction* redomenu_ = nullptr;
    std::unique_ptr<lathwork::rules::ChangeHistory> history_;
    QLabel* texdisplayed_ = nullptr;
    QPlainTextEdit* textactions_ = nullptr;

    lathwork::app::BackgroundWork* background_ = nullptr;
    bool closeWanted_ = false;         // the window was closed during a long call
    bool folderChangedMeanwhile_ = false; // the folder changed during a long call
};
