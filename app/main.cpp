#include "app/Artwork.hpp"
#include "app/LathworkWindow.hpp"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lathwork"));
    QApplication::setWindowIcon(lathwork::app::ApplicationIcon());
    LathworkWindow window;
    window.show();
    return QApplication::exec();
}
