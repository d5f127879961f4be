#pragma once

#include <QDialog>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vantrelle::titledata {
class ProgressMeter;
}

namespace vantrelle::app {

// "Title Data": the title index in use (its file, when it was built, how many titles), with
// "Download and Import" (the public datasets into the cache folder, then the import) and "Import
// from Folder..." (dataset files the user has). The work runs on a thread of its own, with a
// progress bar, its text and Cancel; the window stays responsive. The new index replaces the old only
// when complete, and indexReplaced() then tells the window to serve it. Before the first download the
// datasets' terms are shown; the credit line always is.
class TitleDataDialog : public QDialog {
    Q_OBJECT

public:
    TitleDataDialog(
        const std::filesystem::path& index, const std::filesystem::path& datasetFolder, QWidget* parent = nullptr);
    // Cancels work under way and waits for its thread.
    ~TitleDataDialog() override;

    QLabel* indexText;
    QLabel* termsText; // hidden once the datasets have been downloaded
    QLabel* creditText;
    QPushButton* downloadButton;
    QPushButton* folderButton;
    QProgressBar* progressBar;
    QLabel* progressText; // what the work is doing, or how it ended
    QPushButton* cancelButton;
    QPushButton* closeButton;

    void downloadAndImport();
    void importFromFolder(const std::filesystem::path& folder);
    void cancel();
    bool running() const { return m_worker.joinable() && !m_finished; }
    // Escape, Close or the window's close button: cancels work under way first and waits for it.
    void reject() override;

signals:
    void indexReplaced();
    void workFinished(); // after each piece of work, however it ended

private:
    void showIndex();
    void start(std::function<void()> work);
    void importFromFolderNow(const std::filesystem::path& folder, titledata::ProgressMeter& meter);
    void finish(const QString& outcome, bool replaced);
    void report(const std::string& line, std::uint64_t bytesRead, std::uint64_t bytesTotal);
    void chooseFolder();
    void endWorker();

    std::filesystem::path m_index;
    std::filesystem::path m_datasetFolder;
    std::thread m_worker;
    std::atomic<bool> m_cancelled { false };
    std::atomic<bool> m_finished { true };
    QString m_outcome; // written by the worker before it ends, read after
};

} // namespace vantrelle::app
