#pragma once
// The information bar's content: three sections under headers that open and close them, the
// file's information text, the picture's RGB histogram and the navigation pane.

#include <QWidget>
#include <array>

namespace tavrin::viewer {

class CFlexBar;
class CNavigationPane;
class CPictureView;

class CPictureInfoPane : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 280;
    static constexpr int kHeaderHeight = 20;
    static constexpr std::array<int, 3> kBodyHeights = {180, 125, 200};

    // Section states from "EXIFWindowsState" of the mode's settings key.
    CPictureInfoPane(CPictureView& view, bool slideshowMode, CFlexBar& bar);
    // Writes the section states back.
    ~CPictureInfoPane() override;

    bool sectionOpen(int section) const { return open_[static_cast<std::size_t>(section)]; }
    void toggleSection(int section);
    // Repaints the sections and the navigation pane with the view's current data.
    void refresh();
    // The bar's height for the open sections.
    int barHeight() const;
    QRect headerRect(int section) const;
    QRect bodyRect(int section) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void layoutSections();
    void drawHeader(QPainter& painter, int section);
    void drawInformation(QPainter& painter, const QRect& body);
    int sectionAt(const QPoint& point) const;

    CPictureView& view_;
    bool slideshowMode_;
    CFlexBar& bar_;
    std::array<bool, 3> open_{};
    CNavigationPane* navigation_;
};

}  // namespace tavrin::viewer
