// Scroll views dragged by a finger, collection views with reusable cells
// and selection, the first responder and the controller that owns a view.

#include "sim/foundation/NSIndexPath.h"
#include "sim/uikit/UICollectionView.h"
#include "sim/uikit/UIGestureRecognizer.h"
#include "sim/uikit/UIView.h"
#include "tests/sim/uikit/MainLoopFixture.h"

#include <gtest/gtest.h>
#include <map>

using rt::Ref;
using namespace rt::literals;
using gfx::CGPoint;
using gfx::CGRectMake;

namespace {

// The data source and delegate: counts what it is asked and told.
struct Record {
    long items = 30;
    bool refuseSelection = false;
    int cellsAsked = 0, began = 0, scrolled = 0, ended = 0;
    std::vector<std::pair<long, long>> selected; // section, item
} g;

std::pair<long, long> pathPair(rt::Id p) { return {rt::send<long>(p, "section"_sel), rt::send<long>(p, "item"_sel)}; }
long itemsIn(rt::Id, rt::Sel, Ref<rt::Object>, long) { return g.items; }
Ref<rt::Object> cellFor(rt::Id, rt::Sel, Ref<rt::Object> cv, Ref<rt::Object> path) {
    ++g.cellsAsked;
    return rt::send<Ref<rt::Object>>(cv, "dequeueReusableCellWithReuseIdentifier:forIndexPath:"_sel,
                                     std::string("Tile"), path);
}
bool shouldSelect(rt::Id, rt::Sel, Ref<rt::Object>, Ref<rt::Object>) { return !g.refuseSelection; }
void didSelect(rt::Id, rt::Sel, Ref<rt::Object>, Ref<rt::Object> path) { g.selected.push_back(pathPair(path)); }
void willBegin(rt::Id, rt::Sel, Ref<rt::Object>) { ++g.began; }
void didScroll(rt::Id, rt::Sel, Ref<rt::Object>) { ++g.scrolled; }
void didEnd(rt::Id, rt::Sel, Ref<rt::Object>, bool) { ++g.ended; }

int g_prepared = 0, g_made = 0;
Ref<rt::Object> tileInit(rt::Id self, rt::Sel cmd, gfx::CGRect f) {
    ++g_made;
    return rt::sendSuper<Ref<rt::Object>>(rt::getClass("TestTile"), self, cmd, f);
}
void tilePrepare(rt::Id, rt::Sel) { ++g_prepared; }
std::vector<long> g_pressStates; // the states a long press was seen in
void pressed(rt::Id, rt::Sel, Ref<rt::Object> r) { g_pressStates.push_back(rt::send<long>(r, "state"_sel)); }

struct Collections : uitest::MainLoopTest {
    Ref<rt::Object> window, cv, source, pressTarget;
    void SetUp() override {
        MainLoopTest::SetUp();
        g = Record{};
        g_prepared = g_made = 0;
        if (!rt::getClass("TestSource")) {
            rt::Class* s = rt::defineClass("TestSource");
            rt::addMethod<&itemsIn>(s, "collectionView:numberOfItemsInSection:"_sel);
            rt::addMethod<&cellFor>(s, "collectionView:cellForItemAtIndexPath:"_sel);
            rt::addMethod<&shouldSelect>(s, "collectionView:shouldSelectItemAtIndexPath:"_sel);
            rt::addMethod<&didSelect>(s, "collectionView:didSelectItemAtIndexPath:"_sel);
            rt::addMethod<&willBegin>(s, "scrollViewWillBeginDragging:"_sel);
            rt::addMethod<&didScroll>(s, "scrollViewDidScroll:"_sel);
            rt::addMethod<&didEnd>(s, "scrollViewDidEndDragging:willDecelerate:"_sel);
            rt::addMethod<&pressed>(s, "pressed:"_sel);
            rt::Class* tile = rt::defineClass("TestTile", rt::getClass("UICollectionViewCell"));
            rt::addMethod<&tileInit>(tile, "initWithFrame:"_sel);
            rt::addMethod<&tilePrepare>(tile, "prepareForReuse"_sel);
        }
        source = rt::sendClass<Ref<rt::Object>>(rt::getClass("TestSource"), "new"_sel);
        window = uikit::makeView(CGRectMake(0, 0, 375, 667), rt::getClass("UIWindow"));
        cv = makeCollection(CGRectMake(0, 0, 375, 300), 0);
        rt::send(window, "addSubview:"_sel, cv);
    }
    Ref<rt::Object> makeCollection(gfx::CGRect frame, long direction) {
        auto layout = rt::sendClass<Ref<rt::Object>>(rt::getClass("UICollectionViewFlowLayout"), "new"_sel);
        rt::send(layout, "setItemSize:"_sel, gfx::CGSize{100, 100});
        rt::send(layout, "setScrollDirection:"_sel, direction);
        auto c =
            rt::send<Ref<rt::Object>>(rt::sendClass<Ref<rt::Object>>(rt::getClass("UICollectionView"), "alloc"_sel),
                                      "initWithFrame:collectionViewLayout:"_sel, frame, layout);
        rt::send(c, "registerClass:forCellWithReuseIdentifier:"_sel, rt::getClass("TestTile"), std::string("Tile"));
        rt::send(c, "setDataSource:"_sel, source);
        rt::send(c, "setDelegate:"_sel, source);
        return c;
    }
    Ref<rt::Object> cellAt(long item) {
        return rt::send<Ref<rt::Object>>(cv, "cellForItemAtIndexPath:"_sel, fnd::makeIndexPath(item, 0));
    }
    void drag(CGPoint from, CGPoint to) {
        uikit::touchDown(window, from);
        uikit::touchMove({(from.x + to.x) / 2, (from.y + to.y) / 2});
        uikit::touchMove(to);
        uikit::touchUp(to);
        loop.runUntilIdle();
    }
    void tap(CGPoint p) {
        uikit::touchDown(window, p);
        uikit::touchUp(p);
    }
};

} // namespace

TEST_F(Collections, OnlyTheVisibleItemsHaveCellsAndScrolledOutCellsAreReused) {
    loop.runUntilIdle();
    // Three 100-point items to a line across 375 points, lines 110 apart:
    // three lines show in 300 points.
    EXPECT_EQ(g.cellsAsked, 9);
    EXPECT_TRUE(cellAt(8));
    EXPECT_FALSE(cellAt(9));
    EXPECT_EQ(rt::send<gfx::CGRect>(cellAt(4), "frame"_sel), CGRectMake(110, 110, 100, 100));
    EXPECT_EQ(rt::send<gfx::CGSize>(cv, "contentSize"_sel), (gfx::CGSize{375, 1090}));
    auto path = rt::send<Ref<rt::Object>>(cv, "indexPathForCell:"_sel, cellAt(4));
    EXPECT_EQ(pathPair(path.get()), (std::pair{0L, 4L}));

    drag({180, 250}, {180, 50}); // the content moves up by 200 points
    EXPECT_EQ(rt::send<CGPoint>(cv, "contentOffset"_sel), (CGPoint{0, 200}));
    EXPECT_EQ(g.began, 1);
    EXPECT_EQ(g.ended, 1);
    EXPECT_GE(g.scrolled, 1);
    EXPECT_FALSE(cellAt(2)) << "the first line scrolled out";
    EXPECT_TRUE(cellAt(3));
    EXPECT_TRUE(cellAt(14));
    EXPECT_FALSE(cellAt(15));
    EXPECT_EQ(g_prepared, 3) << "the three cells that left came back for the new line";
    EXPECT_EQ(g_made, 15 - 3);
    auto visible = rt::send<std::vector<Ref<rt::Object>>>(cv, "visibleCells"_sel);
    EXPECT_EQ(visible.size(), 12u);

    drag({180, 50}, {180, 650}); // far past the top: the offset stays in the content
    EXPECT_EQ(rt::send<CGPoint>(cv, "contentOffset"_sel), (CGPoint{0, 0}));
    EXPECT_FALSE(rt::send<bool>(cv, "isDragging"_sel));

    g.items = 2;
    rt::send(cv, "reloadData"_sel);
    loop.runUntilIdle();
    EXPECT_EQ(rt::send<std::vector<Ref<rt::Object>>>(cv, "visibleCells"_sel).size(), 2u);
    EXPECT_EQ(rt::send<long>(cv, "numberOfItemsInSection:"_sel, 0L), 2);
}

TEST_F(Collections, ATapSelectsTheCellUnlessTheDelegateOrAnotherRecogniserTakesIt) {
    loop.runUntilIdle();
    tap({150, 150}); // item 4
    EXPECT_EQ(g.selected, (std::vector<std::pair<long, long>>{{0, 4}}));
    EXPECT_TRUE(rt::send<bool>(cellAt(4), "isSelected"_sel));
    tap({30, 30});
    EXPECT_FALSE(rt::send<bool>(cellAt(4), "isSelected"_sel)) << "one selection at a time";
    EXPECT_EQ(g.selected.size(), 2u);
    tap({105, 30}); // between two items
    EXPECT_EQ(g.selected.size(), 2u);

    g.refuseSelection = true;
    tap({150, 150});
    EXPECT_EQ(g.selected.size(), 2u);
    g.refuseSelection = false;

    // A long press on a tile's content takes the touch: no selection.
    pressTarget = source;
    auto press = rt::send<Ref<rt::Object>>(
        rt::sendClass<Ref<rt::Object>>(rt::getClass("UILongPressGestureRecognizer"), "alloc"_sel),
        "initWithTarget:action:"_sel, pressTarget, rt::sel("pressed:"));
    rt::send(rt::send<Ref<rt::Object>>(cellAt(5), "contentView"_sel), "addGestureRecognizer:"_sel, press);
    uikit::touchDown(window, {250, 150});
    loop.runFor(dsp::seconds(0.6));
    uikit::touchUp({250, 150});
    EXPECT_EQ(g_pressStates,
              (std::vector<long>{uikit::UIGestureRecognizerStateBegan, uikit::UIGestureRecognizerStateEnded}));
    EXPECT_EQ(rt::send<long>(press, "state"_sel), uikit::UIGestureRecognizerStatePossible)
        << "ready again once the touch is over";
    EXPECT_EQ(g.selected.size(), 2u);
    tap({250, 150}); // a quick tap still selects
    EXPECT_EQ(g.selected.back(), (std::pair{0L, 5L}));

    rt::send(cv, "selectItemAtIndexPath:animated:scrollPosition:"_sel, fnd::makeIndexPath(1, 0), false, 0UL);
    EXPECT_EQ(g.selected.size(), 3u) << "selecting in code tells the delegate nothing";
    auto chosen = rt::send<std::vector<Ref<rt::Object>>>(cv, "indexPathsForSelectedItems"_sel);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(pathPair(chosen[0].get()), (std::pair{0L, 1L}));
}

TEST_F(Collections, ASidewaysDragScrollsTheInnerListAndAnUpwardOneThePage) {
    rt::send(cv, "removeFromSuperview"_sel);
    auto page = uikit::makeView(CGRectMake(0, 0, 375, 667), rt::getClass("UIScrollView"));
    rt::send(page, "setContentSize:"_sel, gfx::CGSize{375, 2000});
    rt::send(window, "addSubview:"_sel, page);
    auto list = makeCollection(CGRectMake(0, 100, 375, 100), 1);
    rt::send(page, "addSubview:"_sel, list);
    loop.runUntilIdle();
    EXPECT_EQ(rt::send<gfx::CGSize>(list, "contentSize"_sel).width, 30 * 110 - 10);

    drag({300, 150}, {100, 150});
    EXPECT_EQ(rt::send<CGPoint>(list, "contentOffset"_sel), (CGPoint{200, 0}));
    EXPECT_EQ(rt::send<CGPoint>(page, "contentOffset"_sel), (CGPoint{0, 0}));
    drag({200, 190}, {200, 40});
    EXPECT_EQ(rt::send<CGPoint>(list, "contentOffset"_sel), (CGPoint{200, 0}));
    EXPECT_EQ(rt::send<CGPoint>(page, "contentOffset"_sel), (CGPoint{0, 150}));
}

TEST_F(Collections, DequeuingAnIdentifierNobodyRegisteredEndsTheProcess) {
    EXPECT_DEATH(rt::send<Ref<rt::Object>>(cv, "dequeueReusableCellWithReuseIdentifier:forIndexPath:"_sel,
                                           std::string("Nope"), fnd::makeIndexPath(0, 0)),
                 "must register a nib or a class for the identifier");
}

TEST_F(Collections, EndEditingResignsTheFieldInsideAndAViewFindsItsController) {
    auto controller = rt::sendClass<Ref<rt::Object>>(rt::getClass("UIViewController"), "new"_sel);
    auto page = rt::send<Ref<rt::Object>>(controller, "view"_sel);
    auto box = uikit::makeView(CGRectMake(0, 0, 100, 100));
    auto field = uikit::makeView(CGRectMake(0, 0, 100, 30), rt::getClass("UITextField"));
    rt::send(box, "addSubview:"_sel, field);
    rt::send(page, "addSubview:"_sel, box);
    EXPECT_EQ(rt::send<Ref<rt::Object>>(field, "_viewControllerForAncestor"_sel).get(), controller.get());
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(window, "_viewControllerForAncestor"_sel));

    EXPECT_FALSE(rt::send<bool>(box, "becomeFirstResponder"_sel)) << "a plain view takes no typing";
    EXPECT_TRUE(rt::send<bool>(field, "becomeFirstResponder"_sel));
    EXPECT_EQ(uikit::firstResponder().get(), field.get());
    rt::send<bool>(window, "endEditing:"_sel, true); // elsewhere: the field stays
    EXPECT_TRUE(rt::send<bool>(field, "isFirstResponder"_sel));
    EXPECT_TRUE(rt::send<bool>(page, "endEditing:"_sel, true));
    EXPECT_FALSE(uikit::firstResponder());

    controller = nullptr;
    EXPECT_FALSE(rt::send<Ref<rt::Object>>(field, "_viewControllerForAncestor"_sel))
        << "the view does not keep its controller alive";
}

TEST_F(Collections, ATapAfterScrollingSelectsTheItemUnderTheFinger) {
    loop.runUntilIdle();
    drag({180, 250}, {180, 50}); // offset 200: window y 150 is content y 350, the fourth line
    tap({150, 150});
    EXPECT_EQ(g.selected, (std::vector<std::pair<long, long>>{{0, 10}}));
    auto hit = rt::send<Ref<rt::Object>>(window, "hitTest:withEvent:"_sel, CGPoint{150, 150}, Ref<rt::Object>());
    EXPECT_EQ(rt::send<Ref<rt::Object>>(hit, "superview"_sel).get(), cellAt(10).get())
        << "the cell's content view is hit";
}
