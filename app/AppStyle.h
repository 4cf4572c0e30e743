#pragma once
// The program's style: the desktop's own, except for the menu bar's overflow
// button icon, which is drawn here. The style's own icon is a picture file
// whose loading makes Qt look through every image-format plugin on start-up,
// for a button that only shows on a menu bar too narrow for its menus. It is
// drawn when it first shows.
#include <QProxyStyle>

class AppStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override;
};
