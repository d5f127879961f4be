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

    void stateChanged(QueryState state) override { m_log.push_back("link.State:" + std::to_string(state)); }
    void dataSetChanged() override { m_log.push_back("link.DataSetChanged"); }
    void dataSetScrolled() override { m_log.push_back("link.Scrolled"); }
    void recordChanged(const Field* field) override
    {
        m_log.push_back("link.Record:" + (field ? field->fieldName() : std::string("*")));
    }
    void updateRecord() override
    {
        m_log.push_back("link.UpdateRecord");
        if (m_pending) {
            const std::string text = *m_pending;
            m_field.setAsString(text); // may throw: the pending text is kept
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
    box.setDataSource(&source);
    query.open();
    query.next();
    query.edit();
    query.aqMoviesYear.setAsInteger(1986);
    query.post();
    query.close();
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
    box.setDataSource(&source);
    query.open();

    query.edit();
    box.m_pending = "19-99";
    EXPECT_THROW(query.post(), EDatabaseError);
    EXPECT_EQ(query.state(), qsEdit);
    EXPECT_EQ(query.aqMoviesYear.asInteger(), 1979);

    box.m_pending = "1980";
    query.next(); // the pending text makes the row modified, so the move posts it
    EXPECT_EQ(query.state(), qsBrowse);
    EXPECT_EQ(query.aqMoviesNameOfMovie.asString(), "Brazil");
    query.prior();
    EXPECT_EQ(query.aqMoviesYear.asInteger(), 1980);
}

TEST_F(StoreTest, LinksSourcesAndQueryMayGoInAnyOrder)
{
    auto q = std::make_unique<MoviesQuery>();
    auto ds = std::make_unique<DataSource>();
    auto box = std::make_unique<BoundBox>(q->aqMoviesNameOfMovie, events);
    ds->setDataSet(q.get());
    box->setDataSource(ds.get());
    EXPECT_EQ(box->dataSet(), q.get());
    q.reset();
    EXPECT_EQ(ds->dataSet(), nullptr);
    EXPECT_EQ(ds->state(), qsClosed);
    ds.reset();
    EXPECT_EQ(box->dataSource(), nullptr);
    EXPECT_FALSE(box->editing());
    EXPECT_FALSE(DataSource().AutoEdit);
}
