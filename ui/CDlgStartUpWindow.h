// The borderless picture window shown in two forms. At start-up it covers the loading
// of the component libraries: the program's picture, its version and the loading
// progress; once loading has ended it waits 1250 ms, says "Complete successful!", and
// closes 1250 ms later or at the first key or click from then on. Its closing tells the
// hidden main frame, which then shows itself maximised. As the About box it shows the
// same picture until the first key or click and leaves the main frame alone.
//
// The waits are timers that read the program's clock (platform/Clock.h), so tests drive
// them with a fake clock and OnTimer. The window deletes itself when it closes. GUI
// thread only, except WakeLibraryLoading.
#pragma once

#include "board/LibraryProgressWindow.h"

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdint>

class CDlgStartUpWindow : public QWidget, public LibraryProgressWindow
{
    Q_OBJECT

  public:
    enum Form { StartUp = 0, About = 1 };

    // The waits after loading: until the completion text, then until closing.
    static constexpr int kCompleteDelayMs = 1250;
    static constexpr int kCloseDelayMs = 1250;
    // The picture's size in pixels, and where its texts go (pixels from its top-left).
    static constexpr int kWidth = 480;
    static constexpr int kHeight = 360;
    static constexpr int kTextLeft = 100;
    static constexpr int kTextTop = 320;
    static constexpr const char* kYear = "2005";
    static constexpr const char* kCompleteText = "             Complete successful!       ";

    // Shows itself at once, centred on the screen, over `parent` (the main frame, which
    // the start-up form tells when it closes; may be null). `languagePath` is the active
    // language file's path, which chooses the picture and the text positions.
    CDlgStartUpWindow(QWidget* parent, Form form, const QString& languagePath = {});
    ~CDlgStartUpWindow() override;

    // The picture of a language file's path: "STARTUP" for simplified Chinese, "FT" for
    // traditional Chinese, otherwise "EN".
    static QString PictureName(const QString& languagePath);
    // The program's own start-up picture of that name.
    static QImage DrawPicture(const QString& name);

    // --- library loading ------------------------------------------------------------
    void WakeLibraryLoading() override;
    // BN_LOAD_PROGRESS: the library or component step in the text lines; BN_LOAD_DONE:
    // the wait for the completion text begins.
    void OnLibraryLoadNotify(int code, const LibraryLoadProgress* progress) override;
    // BN_STATUS_LINE: an extra line of text.
    void ShowStatusLine(const QString& text);

    // The closing timer's work; its QTimer calls it, tests may call it directly.
    void OnTimer();

    Form GetForm() const { return m_form; }
    bool IsClosable() const { return m_closable; }
    // Loading has ended: the waits have begun.
    bool IsLoadingDone() const { return m_stage != Stage::Loading; }
    const QString& Line1() const { return m_line1; }
    const QString& Line2() const { return m_line2; }
    // Where the version text and the year are drawn.
    QPoint VersionPosition() const;
    QPoint YearPosition() const;

  protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

  private:
    enum class Stage { Loading, Finishing, Closable };
    void SetLines(const QString& line1, const QString& line2);
    // The timer fires at `dueMs` on the program's clock.
    void StartTimer(std::uint64_t dueMs);
    // A key or click: closes the window once it may be closed.
    bool CloseOnInput();

    Form m_form;
    bool m_chinese;
    QImage m_picture;
    QString m_line1;
    QString m_line2;
    Stage m_stage = Stage::Loading;
    bool m_closable = false;
    std::uint64_t m_dueMs = 0;
    QTimer m_timer;
};
