#pragma once

#include "about/InfVer.h"
#include "platform/Platform.h"

#include <QDialog>
#include <QIcon>
#include <QPixmap>

#include <cstdint>

class QLabel;
class QPushButton;
class QWidget;

namespace zelmaro {

class TGradientFill;
class TLabel3D;

// The about box: title, version, copyright, description, licence, maker with
// mail and web address, logo and icon, physical memory and processor.
class TAbout : public QDialog {
    Q_OBJECT

public:
    // Reads the version block through source; memory, processor and the
    // program's path come from the platform.
    TAbout(const TVersionBlockSource& source, Platform& platform, QWidget* parent = nullptr);

    // Fills the texts from the program's version information and the
    // system. Throws ConversionError for a malformed file version.
    void FillInfo();

    // Percentage of free system resources; 0 where the system has no such
    // query, which is every system this program runs on: no 16-bit code is
    // ever called.
    static std::uint16_t GetFreeResources(std::uint16_t kind);

    TInfoVersion InfoVersion;

    QWidget* panImage = nullptr;
    QWidget* PaintBoxLogo = nullptr;
    QLabel* txtOwner = nullptr;
    QLabel* lblMail = nullptr;
    QLabel* lblInternet = nullptr;
    TLabel3D* txtMail = nullptr;
    TLabel3D* txtInternet = nullptr;
    TGradientFill* GradientFill = nullptr;
    QWidget* PaintBoxIcon = nullptr;
    TLabel3D* txtTitle = nullptr;
    QLabel* txtVersion = nullptr;
    QLabel* txtCopyright = nullptr;
    QLabel* txtDescription = nullptr;
    QLabel* txtLicenceTitle = nullptr;
    QLabel* txtLicence = nullptr;
    QWidget* Bevel = nullptr;
    QLabel* lblMemory = nullptr;
    QLabel* txtMemory = nullptr;
    QLabel* lblCPU = nullptr;
    QLabel* txtCPU = nullptr;
    QPushButton* cmdClose = nullptr;

    const QPixmap& Logo() const { return FLogo; }
    const QIcon& Icon() const { return FIcon; }

private:
    Platform& platform_;
    QPixmap FLogo;
    QIcon FIcon;
};

// Shows the about box modally and frees it when it closes. A non-empty
// caption replaces the window caption, a non-empty title the title label.
// Errors of FillInfo leave it before the box is shown. The program's version
// block; memory, processor and path from the platform.
void ShowAbout(const QString& caption, const QString& title, Platform& platform);

} // namespace zelmaro
