// Placeholder until the cloaking scale lands.
#include "app/CloakingScale.hpp"

#include "opt/OptError.hpp"

CloakingScale::CloakingScale(QWidget*, QLineEdit*, QLineEdit*, FormState&, std::function<QString()>, QObject* parent)
    : QObject(parent) {}
QPixmap CloakingScale::Backdrop() const { return {}; }
void CloakingScale::ShowForMode() {}
void CloakingScale::HideForOtherMode() {}
void CloakingScale::ResetForNewFile() {}
void CloakingScale::Scan(const QString&) { throw lathwork::OptError("not built yet"); }
void CloakingScale::ValidateBoxes() const {}
void CloakingScale::Write(const QString&) { throw lathwork::OptError("not built yet"); }
