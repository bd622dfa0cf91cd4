#pragma once
#include <QLabel>
#include <QPixmap>

// A toolbar picture that acts as a button (the editor's image buttons). With a
// pressed picture it shows that picture while the left button is held over it (the area
// 0 < x <= width, 0 <= y <= height) and the raised one otherwise. clicked() comes on release
// over the picture, after the picture was redrawn; hovered() on every move without a button.
class ImageButton : public QLabel
{
    Q_OBJECT
public:
    ImageButton(const QPixmap &raised, const QPixmap &pressed, QWidget *parent = nullptr);
    bool showsPressed() const { return m_showsPressed; }

signals:
    void clicked();
    void hovered();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void showPicture(bool pressed);
    bool within(const QPoint &p) const;

    QPixmap m_raised;
    QPixmap m_pressed;
    bool m_showsPressed = false;
};

// The pictures of the toolbar, drawn with QPainter.
namespace toolbarpictures {
enum class Kind { New, Open, Save, Print, Cut, Copy, Paste, Find };
QPixmap picture(Kind kind, bool pressed);
} // namespace toolbarpictures
