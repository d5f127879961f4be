#pragma once

#include "vantrelle/collections/FilmImport.h"

#include <QDialog>
#include <QElapsedTimer>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace vantrelle::postersource {
class TmdbSource;
}

namespace vantrelle::app {

// "Import Collection...": the films of a collection file as the file has them, what each matched in the title index
// in use and its status. The user picks each ambiguous film's candidate (or leaves it out) and chooses whether films
// the index does not know come in with what the file holds. "Add N films" adds them to the catalogue in one go on a
// thread of its own, with the progress (films, then covers), the rate, the time left and Cancel, while the window stays
// usable. Without a title index the dialog says so and offers "Title Data...".
class ImportCollectionDialog : public QDialog {
    Q_OBJECT

public:
    enum Column { LineColumn, TitleColumn, YearColumn, MatchColumn, StatusColumn };

    // `collection` was read from `file`; the films go into the catalogue that `connectionString` names.
    ImportCollectionDialog(const std::filesystem::path& file, collections::Collection collection,
        std::string connectionString, QWidget* parent = nullptr);
    // Cancels an add under way and waits for its thread.
    ~ImportCollectionDialog() override;

    QLabel* fileText;
    QLabel* indexText; // only without a title index
    QPushButton* titleDataButton; // likewise
    QCheckBox* allFromFileBox; // only when some film can come in from the file
    QTableWidget* table; // a row a film; ambiguous ones hold a choice, films not matched a check box
    QProgressBar* progressBar;
    QLabel* progressText; // the add's progress, or how it ended
    QPushButton* addButton;
    QPushButton* cancelButton;
    QPushButton* closeButton;

    // Matches the films against the title index in use and shows them, anew after "Title Data..." built one.
    void plan();
    void addFilms();
    void cancel();
    bool running() const { return m_worker.joinable() && !m_finished; }
    // Escape, Close or the close button: cancels an add under way first and waits for it.
    void reject() override;

signals:
    void titleDataAsked();
    void filmsAdded(); // the catalogue has new films
    void workFinished(); // after each add, however it ended

private:
    void showIndexState(const QString& problem);
    void fillRow(int row);
    void showStatus(int row);
    void chooseFromFile(int row, bool add);
    void countFilms();
    void setReviewEnabled(bool enabled);
    void showProgress(collections::ImportStage stage, std::size_t done, std::size_t total);
    void finish();
    void endWorker();

    std::filesystem::path m_file;
    collections::Collection m_collection;
    std::string m_connection;
    std::unique_ptr<titleindex::TitleIndex> m_index; // none without a title index
    collections::ImportPlan m_plan; // the worker's alone while it runs
    std::unique_ptr<postersource::TmdbSource> m_posterSource;
    QString m_posterWarning;

    std::thread m_worker;
    std::atomic<bool> m_cancel { false };
    std::atomic<bool> m_finished { true };
    // Written by the worker before it ends, read after.
    collections::AddResult m_result;
    std::string m_failure;
    collections::ImportStage m_stage = collections::ImportStage::films;
    QElapsedTimer m_stageClock;
};

} // namespace vantrelle::app
