#pragma once
// The program's style: the desktop's own, with two changes. The access keys'
// underlines ("&Rød", "&Fil") show only while Alt is held, or while a menu
// opened with it is open; every window is repainted as Alt goes down or up.
// And the menu bar's overflow button icon is drawn here. The style's own
// icon is a picture file whose loading makes Qt look through every
// image-format plugin on start-up, for a button that only shows on a menu
// bar too narrow for its menus. It is drawn when it first shows.
#include <QProxyStyle>

class AppStyle : public QProxyStyle {
public:
    AppStyle();
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override;
};
