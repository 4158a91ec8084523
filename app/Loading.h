#pragma once

// The splash window shown while the program starts: a cream panel framed by
// four strips, the request to wait, and a progress bar.

#include <QWidget>

class QProgressBar;

namespace tarel::app {

class TfrmLoading : public QWidget {
    Q_OBJECT
public:
    // Borderless, on top of all windows, centred; it makes itself visible at once.
    explicit TfrmLoading(QWidget *parent = nullptr);

    // Advances the progress bar `Start`, kept within its range 0 to 100.
    void stepBy(int amount);
    int position() const;
    QProgressBar *progressBar() const { return m_start; }

private:
    QProgressBar *m_start = nullptr;
};

} // namespace tarel::app
