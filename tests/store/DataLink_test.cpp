#include "StoreFixture.h"

#include <memory>

using namespace vantrelle::store;
using vantrelle::store::test::StoreTest;

namespace {

// A bound edit box as far as the query sees it: it logs the notices and may hold an unwritten text.
class BoundBox : public DataLink {
public:
    BoundBox(Field& field, std::vector<std::string>& log)
        : m_field(field)
        , m_log(log)
    {
    }

    void StateChanged(QueryState state) override { m_log.push_back("link.State:" + std::to_string(state)); }
    void DataSetChanged() override { m_log.push_back("link.DataSetChanged"); }
    void DataSetScrolled() override { m_log.push_back("link.Scrolled"); }
    void RecordChanged(const Field* field) override
    {
        m_log.push_back("link.Record:" + (field ? field->FieldName() : std::string("*")));
    }
    void UpdateRecord() override
    {
        m_log.push_back("link.UpdateRecord");
        if (m_pending) {
            const std::string text = *m_pending;
            m_field.SetAsString(text); // may throw: the pending text is kept
            m_pending.reset();
        }
    }

    std::optional<std::string> m_pending;

private:
    Field& m_field;
    std::vector<std::string>& m_log;
};

} // namespace

TEST_F(StoreTest, BoundControlsAreToldBeforeTheStateChangeEvent)
{
    addFilms({ { "Alien", 1979 }, { "Brazil", 1985 } });
    BoundBox box(query.aqMoviesYear, events);
    box.SetDataSource(&source);
    query.Open();
    query.Next();
    query.Edit();
    query.aqMoviesYear.SetAsInteger(1986);
    query.Post();
    query.Close();
    EXPECT_EQ(events,
        (std::vector<std::string> {
            "link.State:1", "StateChange:1", "link.DataSetChanged", "AfterScroll", // open
            "link.Scrolled", "AfterScroll", // next
            "link.State:2", "StateChange:2", "link.Record:*", "AfterEdit", // edit
            "link.Record:Year", // set
            "link.UpdateRecord", "link.State:1", "StateChange:1", "link.Record:*", "AfterPost", // post
            "link.State:0", "StateChange:0", "link.DataSetChanged", // close
        }));
}

TEST_F(StoreTest, UpdateTheRowWritesPendingTextBeforePostAndMove)
{
    addFilms({ { "Alien", 1979 }, { "Brazil", 1985 } });
    BoundBox box(query.aqMoviesYear, events);
    box.SetDataSource(&source);
    query.Open();

    query.Edit();
    box.m_pending = "19-99";
    EXPECT_THROW(query.Post(), EDatabaseError);
    EXPECT_EQ(query.State(), qsEdit);
    EXPECT_EQ(query.aqMoviesYear.AsInteger(), 1979);

    box.m_pending = "1980";
    query.Next(); // the pending text makes the row modified, so the move posts it
    EXPECT_EQ(query.State(), qsBrowse);
    EXPECT_EQ(query.aqMoviesNameOfMovie.AsString(), "Brazil");
    query.Prior();
    EXPECT_EQ(query.aqMoviesYear.AsInteger(), 1980);
}

TEST_F(StoreTest, LinksSourcesAndQueryMayGoInAnyOrder)
{
    auto q = std::make_unique<MoviesQuery>();
    auto ds = std::make_unique<DataSource>();
    auto box = std::make_unique<BoundBox>(q->aqMoviesNameOfMovie, events);
    ds->SetDataSet(q.get());
    box->SetDataSource(ds.get());
    EXPECT_EQ(box->DataSet(), q.get());
    q.reset();
    EXPECT_EQ(ds->DataSet(), nullptr);
    EXPECT_EQ(ds->State(), qsClosed);
    ds.reset();
    EXPECT_EQ(box->DataSource(), nullptr);
    EXPECT_FALSE(box->Editing());
    EXPECT_FALSE(DataSource().AutoEdit);
}
