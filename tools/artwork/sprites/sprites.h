// Where every piece of artwork sits in the generated sprite sheets.
//
// tools/artwork draws the sheets from these rectangles and the program cuts
// its button states out of them with the same rectangles, so the two cannot
// drift apart. Change a size here and both follow on the next build.
#pragma once

#include <QRect>
#include <QSize>

namespace sprites {

// The four state images of one button. A button with three states leaves
// `disabled` empty.
struct States {
    QRect normal;
    QRect hover;
    QRect pressed;
    QRect disabled;
};

// States laid side by side, left to right, starting at (x, y).
constexpr States Row(int x, int y, int w, int h, int count) {
    return States{QRect(x, y, w, h), QRect(x + w, y, w, h), QRect(x + 2 * w, y, w, h),
                  count > 3 ? QRect(x + 3 * w, y, w, h) : QRect()};
}

// States stacked top to bottom, starting at (x, y).
constexpr States Column(int x, int y, int w, int h, int count) {
    return States{QRect(x, y, w, h), QRect(x, y + h, w, h), QRect(x, y + 2 * h, w, h),
                  count > 3 ? QRect(x, y + 3 * h, w, h) : QRect()};
}

// ---- ":/image/main.png" ------------------------------------------------------

constexpr QSize kMainSheet(1700, 1380);

// Window background: the title bar strip and the home page.
constexpr QRect kHomeBackground(0, 0, 1000, 650);
constexpr int kTitleBarHeight = 52;

// Title bar sprite: one 38-pixel column per button (menu, minimise, close),
// states stacked at rows 0, 35, 70 and 105.
constexpr QRect kTitleSprite(1000, 0, 114, 140);
constexpr QSize kTitleButton(38, 35);
constexpr int kTitleMenuColumn = 0;
constexpr int kTitleMinimiseColumn = 1;
constexpr int kTitleCloseColumn = 2;
// States of one column, relative to kTitleSprite.
constexpr States TitleButton(int column) {
    return Column(column * kTitleButton.width(), 0, kTitleButton.width(), kTitleButton.height(), 4);
}

// Back button of the flow screens (116x35).
constexpr States kBackButton = Column(1120, 0, 116, 35, 4);
// Start buttons of the content screen (158x44), one set per mode.
constexpr States kStartBackupButton = Column(1240, 0, 158, 44, 4);
constexpr States kStartRestoreButton = Column(1400, 0, 158, 44, 4);
// Dialog buttons (126x34).
constexpr States kOkButton = Column(1000, 200, 126, 34, 4);
constexpr States kCancelButton = Column(1130, 200, 126, 34, 4);
constexpr States kYesButton = Column(1260, 200, 126, 34, 4);
constexpr States kNoButton = Column(1390, 200, 126, 34, 4);

// The four home buttons; their sizes are the home page geometry.
constexpr States kHomeBackupButton = Row(0, 650, 425, 423, 3);
constexpr States kHomeRestoreButton = Row(0, 1073, 206, 154, 3);
constexpr States kHomeRecoveryButton = Row(618, 1073, 215, 154, 3);
constexpr States kHomeViewButton = Row(0, 1227, 420, 152, 4);

// ---- ":/image/publicImage.png" -----------------------------------------------

constexpr QSize kPublicSheet(320, 260);

// Close button of the dialogs (26x26).
constexpr States kDialogCloseButton = Row(0, 0, 26, 26, 4);

// Message icons of the dialogs (64x64).
constexpr QSize kIconSize(64, 64);
constexpr QRect kIconInfo(0, 30, 64, 64);
constexpr QRect kIconSuccess(64, 30, 64, 64);
constexpr QRect kIconQuestion(128, 30, 64, 64);
constexpr QRect kIconWarning(192, 30, 64, 64);

// The progress dialog's picture: phone to computer.
constexpr QRect kProgressPicture(0, 100, 300, 150);

// ---- single images -----------------------------------------------------------

constexpr QSize kProgramIcon(256, 256);
constexpr QSize kStepPicture(783, 352);
constexpr QSize kAuthorizationPicture(669, 402);
// The link drawn in the authorisation picture: the dialog lays a transparent
// click area of this size at this place over it.
constexpr QRect kAuthorizationLink(95, 7, 180, 25);
constexpr QSize kContentBackground(1000, 598);
constexpr QSize kComputerPicture(240, 240);
constexpr QSize kPhonePicture(180, 300);
constexpr QSize kProgressBackground(780, 481);
constexpr QSize kDialogBackground(509, 250);
constexpr QSize kCheckBox(15, 15);
// Kind icons are drawn at twice the 17-pixel size they are shown at.
constexpr QSize kKindIcon(34, 34);
constexpr QSize kDefaultThumbnail(200, 200);

// Kind icon files in ContentKind order.
constexpr const char* kKindIconNames[7] = {
    "kind_contacts.png", "kind_sms.png",   "kind_calllog.png", "kind_photos.png",
    "kind_videos.png",   "kind_music.png", "kind_apps.png",
};

} // namespace sprites
