#include "document/edit_history.hpp"

#include "tests/support/office_model.hpp"

#include <gtest/gtest.h>

namespace quarn {
namespace {

// The kinds of change a user makes in the editor, each applied to a model.
struct EditKind {
    const char* name;
    void (*apply)(StateMachineModel&);
};

const EditKind kEditKinds[] = {
    {"date value",
     [](StateMachineModel& m) {
         m.timers[2].onDate = CalendarDate{2014, 3, 9};
     }},
    {"date blanked", [](StateMachineModel& m) { m.timers[1].onDate.reset(); }},
    {"time value",
     [](StateMachineModel& m) {
         m.timers[7].offTime = TimeOfDay{23, 59, 58};
     }},
    {"time blanked", [](StateMachineModel& m) { m.timers[1].offTime.reset(); }},
    {"weekday box", [](StateMachineModel& m) { m.timers[0].weekdays[6] = !m.timers[0].weekdays[6]; }},
    {"all days", [](StateMachineModel& m) { SetWeekdayMask(m, 4, 255); }},
    {"no days", [](StateMachineModel& m) { SetWeekdayMask(m, 1, 0); }},
    {"relay condition", [](StateMachineModel& m) { m.relays[6] = u"#S0&&!#T3"; }},
    {"version text", [](StateMachineModel& m) { m.version = u"office 2"; }},
};

StateMachineModel OpenedOffice(EditHistory& history)
{
    StateMachineModel model = test::OfficeModel();
    model.path = u"/srv/office.xml";
    model.modified = false;
    history.Reset(model);
    return model;
}

TEST(EditHistory, UndoAndRedoEachKindOfChange)
{
    for (const EditKind& kind : kEditKinds) {
        SCOPED_TRACE(kind.name);
        EditHistory history;
        StateMachineModel model = OpenedOffice(history);
        const StateMachineModel opened = model;

        kind.apply(model);
        model.modified = true;
        ASSERT_NE(ContentOf(model), ContentOf(opened)) << "the change changes nothing";
        const StateMachineModel changed = model;
        ASSERT_TRUE(history.Record(model));
        EXPECT_TRUE(history.CanUndo());
        EXPECT_FALSE(history.CanRedo());

        // Undo reaches the opened state: the same document, and clean.
        ASSERT_TRUE(history.Undo(model));
        EXPECT_EQ(model, opened);
        EXPECT_FALSE(history.CanUndo());
        EXPECT_TRUE(history.CanRedo());

        // Redo moves away from it again: changed, and unsaved.
        ASSERT_TRUE(history.Redo(model));
        EXPECT_EQ(model, changed);
        EXPECT_TRUE(model.modified);
        EXPECT_FALSE(history.Redo(model));
        EXPECT_EQ(model, changed);
    }
}

TEST(EditHistory, WalksSeveralStepsAndKeepsThePath)
{
    EditHistory history;
    StateMachineModel model = OpenedOffice(history);
    std::vector<StateMachineModel> states{model};
    for (const EditKind& kind : kEditKinds) {
        kind.apply(model);
        model.modified = true;
        ASSERT_TRUE(history.Record(model)) << kind.name;
        states.push_back(model);
    }
    // Save As to another file while all steps are done: the path belongs to
    // the document, not to a step.
    model.path = u"/srv/copy.xml";
    for (std::size_t i = states.size() - 1; i-- > 0;) {
        ASSERT_TRUE(history.Undo(model));
        EXPECT_EQ(ContentOf(model), ContentOf(states[i])) << "after undo to state " << i;
        EXPECT_EQ(model.path, u"/srv/copy.xml");
        EXPECT_EQ(model.modified, i != 0);
    }
    EXPECT_FALSE(history.Undo(model));
    for (std::size_t i = 1; i < states.size(); ++i) {
        ASSERT_TRUE(history.Redo(model));
        EXPECT_EQ(ContentOf(model), ContentOf(states[i])) << "after redo to state " << i;
    }
}

TEST(EditHistory, SameContentIsNoStep)
{
    EditHistory history;
    StateMachineModel model = OpenedOffice(history);
    // A relay dialog confirmed unchanged, a modified flag or a new path: no
    // step to undo.
    model.modified = true;
    model.path = u"/elsewhere.xml";
    EXPECT_FALSE(history.Record(model));
    EXPECT_FALSE(history.CanUndo());
}

TEST(EditHistory, CleanStateFollowsSaves)
{
    EditHistory history;
    StateMachineModel model = OpenedOffice(history);
    kEditKinds[0].apply(model);
    history.Record(model);
    kEditKinds[4].apply(model);
    history.Record(model);
    // Saved here: stepping back from it is unsaved, stepping back to it clean.
    history.MarkClean();
    model.modified = false;
    EXPECT_TRUE(history.IsClean());

    history.Undo(model);
    EXPECT_TRUE(model.modified);
    history.Undo(model);
    EXPECT_TRUE(model.modified) << "the opened state is no longer the file's content";
    history.Redo(model);
    history.Redo(model);
    EXPECT_FALSE(model.modified);
}

TEST(EditHistory, ChangeAfterUndoDropsTheRedoSteps)
{
    EditHistory history;
    StateMachineModel model = OpenedOffice(history);
    kEditKinds[0].apply(model);
    history.Record(model);
    history.MarkClean();  // saved with the first change
    kEditKinds[7].apply(model);
    history.Record(model);

    history.Undo(model);
    history.Undo(model);
    EXPECT_TRUE(history.CanRedo());
    kEditKinds[8].apply(model);
    ASSERT_TRUE(history.Record(model));
    EXPECT_FALSE(history.CanRedo());
    EXPECT_FALSE(history.Redo(model));
    EXPECT_EQ(model.version, u"office 2");
    EXPECT_EQ(model.relays[6], test::OfficeModel().relays[6]);

    // The saved state was among the dropped ones: no state is clean any
    // more, not even the opened one that Undo leads back to.
    history.Undo(model);
    EXPECT_EQ(ContentOf(model), ContentOf(test::OfficeModel()));
    EXPECT_TRUE(model.modified);
}

TEST(EditHistory, ResetStartsAnEmptyCleanHistory)
{
    EditHistory history;
    StateMachineModel model = OpenedOffice(history);
    kEditKinds[3].apply(model);
    history.Record(model);
    history.Undo(model);
    EXPECT_TRUE(history.CanRedo());

    StateMachineModel fresh;
    history.Reset(fresh);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_TRUE(history.IsClean());
    EXPECT_FALSE(history.Undo(model));
    EXPECT_FALSE(history.Redo(model));
    EXPECT_EQ(ContentOf(model), ContentOf(test::OfficeModel())) << "a refused step touched the model";
}

TEST(EditHistory, OldestStepsGoBeyondTheLimit)
{
    EditHistory history(3);
    StateMachineModel model;
    history.Reset(model);
    for (int i = 1; i <= 5; ++i) {
        model.version = std::u16string(static_cast<std::size_t>(i), u'v');
        history.Record(model);
    }
    int undone = 0;
    while (history.Undo(model))
        ++undone;
    EXPECT_EQ(undone, 3);
    EXPECT_EQ(model.version, u"vv");
    // The opened state went with the forgotten steps, so nothing here is clean.
    EXPECT_TRUE(model.modified);
}

}  // namespace
}  // namespace quarn
