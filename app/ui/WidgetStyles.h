// Style sheets shared by the program's widgets.
#pragma once

// The six-image check-box indicator used by every check box of the program.
inline constexpr char kCheckBoxStyle[] =
    "QCheckBox::indicator {width: 15px;height: 15px;} "
    "QCheckBox::indicator:unchecked {image: url(:/image/uncheck1.png);} "
    "QCheckBox::indicator:unchecked:hover {image: url(:/image/uncheck2.png);} "
    "QCheckBox::indicator:unchecked:pressed {image: url(:/image/uncheck3.png);} "
    "QCheckBox::indicator:checked {image: url(:/image/checked1.png);} "
    "QCheckBox::indicator:checked:hover {image: url(:/image/checked2.png);} "
    "QCheckBox::indicator:checked:pressed {image: url(:/image/checked3.png);}";

// The thin green vertical scroll bar of MyListWidget.
inline constexpr char kListScrollBarStyle[] =
    "QScrollBar:vertical {width: 5px; background: white; border: none; margin: 0px;} "
    "QScrollBar::handle:vertical {background: #32CC99; min-height: 5px;} "
    "QScrollBar::add-line:vertical {height: 10px; background: white; "
    "subcontrol-position: bottom; subcontrol-origin: margin;} "
    "QScrollBar::sub-line:vertical {height: 10px; background: white; "
    "subcontrol-position: top; subcontrol-origin: margin;} "
    "QScrollBar::up-arrow:vertical, QScrollBar::down-arrow:vertical "
    "{width: 0px; height: 0px; background: #32CC99;} "
    "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical {background: none;}";
