// The library browser's preview (control 1028): the chosen component drawn on black,
// scaled so that the whole of it fits. It only points at the component, which belongs
// to its library; the browser clears it before that component can go.
#pragma once

#include <QWidget>

class CComponent;

class CPreViewStatic : public QWidget
{
    Q_OBJECT

  public:
    static constexpr int IDC = 1028;

    explicit CPreViewStatic(QWidget* parent = nullptr);

    // Stores the component (not owned; null for none) and repaints the whole control.
    void SetComponent(CComponent* component);
    CComponent* GetComponent() const { return m_component; }

  protected:
    void paintEvent(QPaintEvent* e) override;

  private:
    CComponent* m_component = nullptr;
};
