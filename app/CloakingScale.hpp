#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QScrollBar;
class QWidget;
struct FormState;

// The cloaking distance scale inside the preview pane: the two draggable ship pictures
// (highshippic, lowshippic), the zoom bar (zoomadjuster) and its label (zoomdistance), and
// the rules that tie them to the two distance boxes the window owns.
class CloakingScale : public QObject {
    Q_OBJECT
public:
    // Creates highshippic, lowshippic, zoomadjuster and zoomdistance as hidden children of
    // pane (bmpdisplay) and watches the boxes' text changes. beginCaption returns the caption
    // of cloakbutbegin.
    CloakingScale(QWidget* pane, QLineEdit* highBox, QLineEdit* lowBox, FormState& state,
                  std::function<QString()> beginCaption, QObject* parent = nullptr);

    // The backdrop: clkscrn.bmp from the current directory, else the copy installed with the
    // program, else one drawn in code.
    QPixmap Backdrop() const;

    // Mode switch to Cloaking (ships shown after a scan, zoom shown) and to another mode.
    void ShowForMode();
    void HideForOtherMode();

    // A file click or folder change: both boxes disabled, both ships hidden.
    void ResetForNewFile();

    // SCAN: reads the distances of the OPT at path into the boxes. Throws lathwork::OptError.
    void Scan(const QString& optPath);

    // Checks both boxes; throws lathwork::OptError naming the box and its text when one holds
    // neither NEVER, ALWAYS nor a positive number. Called before the warning box.
    void ValidateBoxes() const;

    // BEGIN: writes the boxes into every distance table of the OPT at path (atomically).
    void Write(const QString& optPath);
};
