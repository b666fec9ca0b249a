#pragma once
// The picture view: shows the current picture of the browser, zoomed, panned and turned, and
// answers the picture commands.

#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <filesystem>

#include "viewer/command_line.hpp"
#include "viewer/commands.hpp"
#include "viewer/picture_browser.hpp"
#include "viewer/view_geometry.hpp"

namespace tavrin::viewer {

class CFilmstrip;

class CPictureView : public QWidget {
    Q_OBJECT
  public:
    explicit CPictureView(bool slideshowMode, QWidget* parent = nullptr);
    ~CPictureView() override;

    // Lists the folder (or the slideshow's files) the command line names and loads its first
    // picture; currentFolder is the folder of a command line without a path. False when the
    // folder cannot be read.
    bool open(const ViewerCommandLine& commandLine, const std::filesystem::path& currentFolder);

    // Runs a command; false when the view does not handle it.
    bool command(int id);
    CommandState commandState(int id) const;

    PictureBrowser& browser() { return browser_; }
    const ViewGeometry& viewGeometry() const { return geometry_; }
    bool infoVisible() const { return infoVisible_; }
    bool slideshowPaused() const { return slideshowPaused_; }
    // The part of the window the picture is drawn into: all of it but the filmstrip's strip.
    QRect pictureArea() const;
    CFilmstrip& filmstrip() { return *filmstrip_; }

    void fit();
    // The navigation pane moved the visible part's centre to a picture point.
    void centreOn(float px, float py);
    // A left button release: the click zoom, then the information bar is refreshed.
    void finishClick();
    // Repaints the information bar when it is shown.
    void refreshInfoBar();

  signals:
    // The window caption for the current file.
    void captionChanged(const QString& caption);
    // Something changed what the commands may do.
    void commandStatesChanged();
    void progressChanged(int percent, bool finished, bool visible);
    // Every mouse move over the view, in screen coordinates, before the view handles it.
    void mouseMoved(const QPoint& globalPosition, Qt::MouseButtons buttons,
                    Qt::KeyboardModifiers modifiers);
    void infoVisibleChanged(bool visible);
    // The information bar must be repainted (it is shown and what it shows changed).
    void infoChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool hasPicture() const { return browser_.currentPicture() != nullptr; }
    Size areaSize() const;
    Size pictureSize() const;
    void zoomIn(bool setClickZoom);
    void zoomOut(bool setClickZoom);
    void rotate(bool clockwise);
    void startSlideshow();
    void showSettings();
    void tickProgress();
    void startSlideTimer();
    void slideTimerFired();

    bool slideshowMode_;
    bool slideshowPaused_ = true;
    bool infoVisible_ = false;
    PictureBrowser browser_;
    ViewGeometry geometry_;
    QPoint dragPoint_;
    QTimer progressTimer_;
    QTimer slideTimer_;
    CFilmstrip* filmstrip_;
};

}  // namespace tavrin::viewer
