#pragma once
// The load progress bar: a flat bar in the highlight colour, grey once the load is done.

#include <QProgressBar>

namespace tavrin::viewer {

class CColoredProgressCtrl : public QProgressBar {
    Q_OBJECT
  public:
    explicit CColoredProgressCtrl(QWidget* parent = nullptr);

    // The current picture's load has ended (the bar is drawn in the grey-text colour).
    void setFinished(bool finished);
    bool finished() const { return finished_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool finished_ = false;
};

}  // namespace tavrin::viewer
