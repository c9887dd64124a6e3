// Message routing of the window layer: by message, command code, notification code and control
// id, with notifications offered to the control's own object first.
#include "platform/Dialog.h"
#include "platform/TreeCtrl.h"
#include "res/resource.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class ReflectingTree : public CTreeCtrl {
public:
    int m_nExpanded = 0;
    UINT m_nLastState = 0;

    void OnItemexpanded(NMHDR* pNMHDR, LRESULT* pResult)
    {
        ++m_nExpanded;
        m_nLastState = reinterpret_cast<NMTREEVIEWA*>(pNMHDR)->itemNew.state;
        *pResult = 0;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ReflectingTree, CTreeCtrl)
    ON_NOTIFY_REFLECT(TVN_ITEMEXPANDED, OnItemexpanded)
END_MESSAGE_MAP()

class RoutingDlg : public CDialog {
public:
    RoutingDlg() : CDialog(IDD_MAIN_DIALOG) {}

    ReflectingTree m_tree;
    int m_nListClicks = 0;
    int m_nTreeClicks = 0;
    int m_nParentExpanded = 0;
    int m_nAllOn = 0;
    int m_nAllOff = 0;
    int m_nSizes = 0;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_tree.SubclassDlgItem(IDC_FOLDER_TREE, this);
        return TRUE;
    }

    void OnClickList(NMHDR*, LRESULT* pResult)
    {
        ++m_nListClicks;
        *pResult = 11;
    }
    void OnClickTree(NMHDR*, LRESULT* pResult)
    {
        ++m_nTreeClicks;
        *pResult = 22;
    }
    void OnExpandedAtParent(NMHDR*, LRESULT*) { ++m_nParentExpanded; }
    void OnAllOn() { ++m_nAllOn; }
    void OnAllOff() { ++m_nAllOff; }
    void OnSize(UINT, int, int)
    {
        ++m_nSizes;
        Default();
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RoutingDlg, CDialog)
    ON_NOTIFY(NM_CLICK, IDC_PROGRAM_LIST, OnClickList)
    ON_NOTIFY(NM_CLICK, IDC_FOLDER_TREE, OnClickTree)
    ON_NOTIFY(TVN_ITEMEXPANDED, IDC_FOLDER_TREE, OnExpandedAtParent)
    ON_BN_CLICKED(IDC_ALL_ON, OnAllOn)
    ON_BN_CLICKED(IDC_ALL_OFF, OnAllOff)
    ON_WM_SIZE()
END_MESSAGE_MAP()

LRESULT SendNotify(HWND hDlg, int id, UINT code)
{
    NMHDR header = {};
    header.hwndFrom = ::GetDlgItem(hDlg, id);
    header.idFrom = id;
    header.code = code;
    return ::SendMessageA(hDlg, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
}

class MessageMapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dlg.Create());
        test::PumpMessages();
    }
    RoutingDlg m_dlg;
};

TEST_F(MessageMapTest, NotificationsGoToTheHandlerOfTheirControlWithItsResult)
{
    EXPECT_EQ(11, SendNotify(m_dlg.m_hWnd, IDC_PROGRAM_LIST, NM_CLICK));
    EXPECT_EQ(22, SendNotify(m_dlg.m_hWnd, IDC_FOLDER_TREE, NM_CLICK));
    EXPECT_EQ(1, m_dlg.m_nListClicks);
    EXPECT_EQ(1, m_dlg.m_nTreeClicks);

    // A code without an entry for that control reaches no handler.
    SendNotify(m_dlg.m_hWnd, IDC_PROGRAM_LIST, NM_DBLCLK);
    SendNotify(m_dlg.m_hWnd, IDC_FOLDER_PATH, NM_CLICK);
    EXPECT_EQ(1, m_dlg.m_nListClicks);
    EXPECT_EQ(1, m_dlg.m_nTreeClicks);
}

TEST_F(MessageMapTest, ButtonClicksGoToTheirOwnHandlers)
{
    ::SendMessageA(::GetDlgItem(m_dlg.m_hWnd, IDC_ALL_ON), BM_CLICK, 0, 0);
    EXPECT_EQ(1, m_dlg.m_nAllOn);
    EXPECT_EQ(0, m_dlg.m_nAllOff);
    ::SendMessageA(::GetDlgItem(m_dlg.m_hWnd, IDC_ALL_OFF), BM_CLICK, 0, 0);
    EXPECT_EQ(1, m_dlg.m_nAllOn);
    EXPECT_EQ(1, m_dlg.m_nAllOff);
}

TEST_F(MessageMapTest, ControlHandlesItsOwnNotificationBeforeTheParent)
{
    HTREEITEM hParent = m_dlg.m_tree.InsertItem("parent", TVI_ROOT);
    m_dlg.m_tree.InsertItem("child", hParent);

    // The first opening of an item raises TVN_ITEMEXPANDED; the tree's own object takes it
    // and the parent's entry for the same code and control is not reached.
    m_dlg.m_tree.Expand(hParent, TVE_EXPAND);
    EXPECT_EQ(1, m_dlg.m_tree.m_nExpanded);
    EXPECT_TRUE(m_dlg.m_tree.m_nLastState & TVIS_EXPANDED);
    EXPECT_EQ(0, m_dlg.m_nParentExpanded);
}

TEST_F(MessageMapTest, WindowMessagesReachTheirHandlerAndDefaultProcessing)
{
    int before = m_dlg.m_nSizes;
    ::SetWindowPos(m_dlg.m_hWnd, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(before + 1, m_dlg.m_nSizes);
    RECT window;
    ::GetWindowRect(m_dlg.m_hWnd, &window);
    EXPECT_EQ(700, window.right - window.left);
}

TEST_F(MessageMapTest, ObjectLetsGoOfItsWindowWhenTheWindowIsDestroyed)
{
    HWND hTree = m_dlg.m_tree.m_hWnd;
    ASSERT_NE(nullptr, hTree);
    EXPECT_EQ(&m_dlg.m_tree, CWnd::FromHandlePermanent(hTree));
    ::DestroyWindow(m_dlg.m_hWnd);
    EXPECT_EQ(nullptr, m_dlg.m_tree.m_hWnd);
    EXPECT_EQ(nullptr, m_dlg.m_hWnd);
}

} // namespace
