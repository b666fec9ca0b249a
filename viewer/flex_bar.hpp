#pragma once
// A floating tool window of a fixed size that its content asks for, holding one content
// window that fills it; the viewer's information bar.

#include <QWidget>

namespace tavrin::viewer {

class CFlexBar : public QWidget {
    Q_OBJECT
  public:
    // A tool window of the frame, titled title, without a close box.
    CFlexBar(const QString& title, QWidget* frame);

    // The one content window; the bar takes it over.
    void setContent(QWidget* content);
    QWidget* content() const { return content_; }
    // The size the content asks for.
    void setSize(int width, int height);

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    QWidget* content_ = nullptr;
};

}  // namespace tavrin::viewer
