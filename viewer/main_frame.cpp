#include "viewer/main_frame.hpp"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "common/help.hpp"
#include "common/settings.hpp"
#include "common/settings_names.hpp"
#include "common/strings.hpp"
#include "platform/ui/message_box.hpp"
#include "resources/string_ids.hpp"
#include "resources/toolbar_bitmaps.hpp"
#include "viewer/about_dlg.hpp"
#include "viewer/colored_progress_ctrl.hpp"
#include "viewer/colored_toolbar.hpp"
#include "viewer/flex_bar.hpp"
#include "viewer/picture_info_pane.hpp"
#include "viewer/picture_view.hpp"
#include "viewer/profile.hpp"

namespace tavrin::viewer {

namespace {

constexpr unsigned kInfoBarTitle = 10008;
constexpr int kToolbarShowTime = 3000;
constexpr std::string_view kViewerHelpTopic = "::/Tavrin Viewer.htm";

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string_view modeKey(bool slideshowMode) {
    return slideshowMode ? settings::kSlideshow : settings::kViewer;
}

// The keys of the commands (several keys may run one command).
struct KeyBinding {
    int command;
    QKeySequence key;
};

std::vector<KeyBinding> keyBindings() {
    return {
        {ID_NEXT_IMAGE, QKeySequence(Qt::Key_PageDown)},
        {ID_NEXT_IMAGE, QKeySequence(Qt::Key_Right)},
        {ID_NEXT_IMAGE, QKeySequence(Qt::Key_Space)},
        {ID_PREVIOUS_IMAGE, QKeySequence(Qt::Key_Backspace)},
        {ID_PREVIOUS_IMAGE, QKeySequence(Qt::Key_Left)},
        {ID_PREVIOUS_IMAGE, QKeySequence(Qt::Key_PageUp)},
        {ID_FIT_KEY, QKeySequence(Qt::KeypadModifier | Qt::Key_Asterisk)},
        {ID_ZOOM_IN_KEY, QKeySequence(Qt::KeypadModifier | Qt::Key_Plus)},
        {ID_ZOOM_OUT_KEY, QKeySequence(Qt::KeypadModifier | Qt::Key_Minus)},
    };
}

}  // namespace

CMainFrame::CMainFrame(bool slideshowMode) : slideshowMode_(slideshowMode) {
    setWindowTitle(text(strings::get(57344)));
    if (slideshowMode_) setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    client_ = new QWidget(this);
    // The strip around the toolbar has the window colour of the view and the toolbar.
    QPalette clientPalette = client_->palette();
    clientPalette.setColor(QPalette::Window, clientPalette.color(QPalette::Base));
    client_->setPalette(clientPalette);
    client_->setAutoFillBackground(true);
    setCentralWidget(client_);
    client_->installEventFilter(this);

    view_ = new CPictureView(slideshowMode_, client_);
    view_->setObjectName("59648");
    createActions();

    toolBar_ = new CColoredToolBar;
    const auto actionFor = [this](int id) { return actions_.at(id); };
    if (slideshowMode_) {
        floatingToolbar_ = new QWidget(this, Qt::Tool | Qt::FramelessWindowHint);
        auto* layout = new QVBoxLayout(floatingToolbar_);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(toolBar_);
        const QImage normal = resources::loadToolbarBitmap(resources::kSlideshowToolbarNormal);
        toolBar_->setButtons(kSlideshowToolbar, normal,
                             resources::loadToolbarBitmap(resources::kSlideshowToolbarHot), normal,
                             actionFor);
        connect(&toolbarTimer_, &QTimer::timeout, this, [this] {
            toolbarTimer_.stop();
            floatingToolbar_->hide();
        });
        connect(view_, &CPictureView::mouseMoved, this, &CMainFrame::showSlideshowToolbar);
    } else {
        toolBar_->setParent(client_);
        const QImage normal = resources::loadToolbarBitmap(resources::kToolbarNormal);
        toolBar_->setButtons(kNormalToolbar, normal,
                             resources::loadToolbarBitmap(resources::kToolbarHot), normal,
                             actionFor);
        toolBar_->hideButton(actions_.at(ID_PAUSE));
    }

    progress_ = new CColoredProgressCtrl(client_);
    progress_->setObjectName("1001");
    progress_->hide();

    infoBar_ = new CFlexBar(text(strings::get(kInfoBarTitle)), this);
    infoBar_->move(
        static_cast<int>(getUserSetting(modeKey(slideshowMode_), settings::kExifFrameX.name,
                                        settings::kExifFrameX.defaultValue)),
        static_cast<int>(getUserSetting(modeKey(slideshowMode_), settings::kExifFrameY.name,
                                        settings::kExifFrameY.defaultValue)));
    infoBar_->hide();
    infoPane_ = new CPictureInfoPane(*view_, slideshowMode_, *infoBar_);
    connect(view_, &CPictureView::infoChanged, infoPane_, &CPictureInfoPane::refresh);

    connect(view_, &CPictureView::captionChanged, this, [this](const QString& caption) {
        setWindowTitle(caption.isEmpty() ? text(strings::get(57344)) : caption);
    });
    connect(view_, &CPictureView::commandStatesChanged, this, &CMainFrame::updateActions);
    connect(view_, &CPictureView::progressChanged, this,
            [this](int percent, bool finished, bool visible) {
                progress_->setValue(std::clamp(percent, 0, 100));
                progress_->setFinished(finished);
                progress_->setVisible(visible);
            });
    connect(view_, &CPictureView::infoVisibleChanged, infoBar_, &QWidget::setVisible);
    updateActions();
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::createActions() {
    constexpr std::array<int, 19> kCommands = {
        ID_NEXT_IMAGE,
        ID_PREVIOUS_IMAGE,
        ID_ZOOM_IN,
        ID_ZOOM_OUT,
        ID_FIT_KEY,
        ID_ROTATE_CLOCKWISE,
        ID_ROTATE_COUNTERCLOCKWISE,
        ID_SLIDESHOW,
        ID_IMAGE_INFORMATION,
        ID_CUSTOMIZE_SETTINGS,
        ID_OPTIMAL_HEIGHT,
        ID_ACTUAL_SIZE,
        ID_MOVE,
        ID_ZOOM_IN_KEY,
        ID_ZOOM_OUT_KEY,
        ID_PAUSE,
        ID_PUT_ASIDE,
        ID_APP_ABOUT,
        ID_APP_EXIT,
    };
    for (int id : kCommands) {
        auto* action = new QAction(this);
        action->setObjectName(QString::number(id));
        // The string of the id: the status text, a line feed, the tooltip.
        const QString texts = text(strings::get(static_cast<unsigned>(id)));
        const qsizetype feed = texts.indexOf('\n');
        action->setStatusTip(texts.left(feed));
        action->setToolTip(feed < 0 ? texts : texts.mid(feed + 1));
        action->setText(action->toolTip());
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        addAction(action);
        actions_[id] = action;
    }
    std::map<int, QList<QKeySequence>> keys;
    for (const KeyBinding& binding : keyBindings())
        keys[binding.command].append(binding.key);
    for (const auto& [id, sequences] : keys)
        actions_.at(id)->setShortcuts(sequences);
    for (QAction* toggled :
         {actions_.at(ID_ZOOM_IN), actions_.at(ID_ZOOM_OUT), actions_.at(ID_MOVE),
          actions_.at(ID_SLIDESHOW), actions_.at(ID_IMAGE_INFORMATION), actions_.at(ID_PAUSE)}) {
        toggled->setCheckable(true);
    }
    auto* help = new QAction(this);
    help->setShortcut(QKeySequence::HelpContents);
    connect(help, &QAction::triggered, this, [] { showHelp(kViewerHelpTopic); });
    addAction(help);
    // Escape closes the window, whichever of its windows has the focus.
    auto* escape = new QAction(this);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(escape, &QAction::triggered, this, &QWidget::close);
    addAction(escape);
    for (QAction* action : QWidget::actions())
        action->setShortcutContext(Qt::ApplicationShortcut);
}

void CMainFrame::updateActions() {
    for (const auto& [id, action] : actions_) {
        const CommandState state = view_->commandState(id);
        action->setEnabled(state.enabled);
        if (action->isCheckable()) action->setChecked(state.checked);
    }
}

void CMainFrame::runCommand(int id) {
    // The view first; what it does not handle is the frame's.
    if (view_->command(id)) return;
    if (id == ID_APP_ABOUT) {
        CAboutDlg about(this);
        about.exec();
    } else if (id == ID_APP_EXIT) {
        close();
    }
}

void CMainFrame::start(const ViewerCommandLine& commandLine,
                       const std::filesystem::path& currentFolder) {
    if (slideshowMode_) {
        showMaximized();
    } else {
        const WindowPlacement placement = readPlacement();
        if (placement.hasRect) {
            setGeometry(placement.x, placement.y, placement.width, placement.height);
        } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            // A first start: restored (or on a desktop that does not maximise), the window takes
            // three quarters of the screen, centred, rather than the toolkit's smallest size.
            const QRect free = screen->availableGeometry();
            QRect normal({}, free.size() * 3 / 4);
            normal.moveCenter(free.center());
            setGeometry(normal);
        }
        switch (placement.showCmd) {
            case kShowMaximized:
                showMaximized();
                break;
            case kShowMinimized:
                showMinimized();
                break;
            default:
                show();
                break;
        }
    }
    if (view_->infoVisible()) infoBar_->show();
    if (!view_->open(commandLine, currentFolder) && slideshowMode_) {
        // A slideshow of a folder that cannot be read ends with a message, not a black screen.
        const std::string folder = (currentFolder / commandLine.fileToOpen).string();
        ui::MessageBoxA(nullptr,
                        strings::format(strings::kFolderUnreadable, folder.c_str()).c_str(),
                        std::string(strings::get(strings::kErrorCaption)).c_str(), ui::MB_ICONHAND);
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    view_->setFocus();
}

QRect CMainFrame::toolbarRect(int clientWidth, int clientBottom) {
    const int left = (clientWidth - kToolbarWidth) / 2;
    const int right = left + kToolbarWidth;
    const int top = clientBottom - kBottomStrip;
    return QRect(QPoint(left <= 110 ? 110 : left, top),
                 QPoint((right <= 480 ? 480 : right) - 1, clientBottom - 1));
}

void CMainFrame::layoutClient() {
    const QRect client = client_->rect();
    if (slideshowMode_) {
        view_->setGeometry(client);
        progress_->setGeometry(5, client.height() - kBottomStrip + 5, 90, kBottomStrip - 10);
        placeSlideshowToolbar();
        return;
    }
    view_->setGeometry(0, 0, client.width(), client.height() - kBottomStrip);
    toolBar_->setGeometry(toolbarRect(client.width(), client.height()));
    progress_->setGeometry(5, client.height() - kBottomStrip + 5, 90, kBottomStrip - 10);
}

void CMainFrame::placeSlideshowToolbar() {
    // At the top right corner of the screen.
    floatingToolbar_->adjustSize();
    const QPoint corner = client_->mapToGlobal(client_->rect().topRight());
    floatingToolbar_->move(corner.x() - floatingToolbar_->width() + 1, corner.y());
}

void CMainFrame::showSlideshowToolbar(const QPoint& globalPosition, Qt::MouseButtons buttons,
                                      Qt::KeyboardModifiers modifiers) {
    if (globalPosition.x() == lastMouse_.x() || buttons != Qt::NoButton ||
        modifiers != Qt::NoModifier) {
        return;
    }
    toolbarTimer_.start(kToolbarShowTime);
    floatingToolbar_->show();
    lastMouse_ = globalPosition;
    placeSlideshowToolbar();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) layoutClient();
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!slideshowMode_) {
        const QRect normal = normalGeometry();
        writePlacement({isMaximized()   ? kShowMaximized
                        : isMinimized() ? kShowMinimized
                                        : kShowNormal,
                        true, normal.x(), normal.y(), normal.width(), normal.height()});
    }
    const std::string_view key = modeKey(slideshowMode_);
    setUserSetting(key, settings::kExifFrameX.name, static_cast<std::uint32_t>(infoBar_->x()));
    setUserSetting(key, settings::kExifFrameY.name, static_cast<std::uint32_t>(infoBar_->y()));
    event->accept();
}

}  // namespace tavrin::viewer
