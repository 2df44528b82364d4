// The window's controls and their places.
#include "app/uFrmMain.h"

#include "app/Accessibility.h"
#include "app/RegisterGrid.h"
#include "app/StatusPanels.h"
#include "controls/MyProgressBarNew.h"
#include "controls/MyRadionBtn.h"
#include "controls/WinColor.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
template <typename T> T* Make(QWidget* parent, const char* name) {
    auto* w = new T(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, QRect place) {
    auto* b = Make<QPushButton>(parent, name);
    b->setText(caption);
    b->setGeometry(place);
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption) {
    auto* l = Make<QLabel>(parent, name);
    l->setText(caption);
    return l;
}

QToolButton* MakeSpeedButton(QWidget* parent, const char* name, const char* themeIcon,
                             QStyle::StandardPixmap fallback) {
    auto* b = Make<QToolButton>(parent, name);
    b->setAutoRaise(true);
    b->setFixedSize(24, 22);
    b->setIcon(
        QIcon::fromTheme(QString::fromLatin1(themeIcon), parent->style()->standardIcon(fallback)));
    return b;
}

TMyRadionBtn* MakeChannelButton(QWidget* parent, const char* name, const QString& caption,
                                TMyRadionBtn::TButtonShape shape, QColor colour) {
    auto* b = Make<TMyRadionBtn>(parent, name);
    b->SetCaption(caption);
    b->SetButtonShape(shape);
    QPalette pal = b->palette();
    pal.setColor(QPalette::WindowText, colour);
    b->setPalette(pal);
    b->setFixedSize(42, 21);
    return b;
}

// The decorative picture beside the video page.
QPixmap DecorativePicture() {
    QPixmap pix(250, 80);
    QPainter p(&pix);
    QLinearGradient g(0, 0, 250, 80);
    g.setColorAt(0, QColor(20, 40, 90));
    g.setColorAt(1, QColor(90, 140, 210));
    p.fillRect(pix.rect(), g);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    p.drawText(pix.rect(), Qt::AlignCenter, QStringLiteral("星澜影库通"));
    return pix;
}

TMyProgressBarNew* MakeStatusProgressBar(QWidget* parent, const char* name) {
    auto* bar = Make<TMyProgressBarNew>(parent, name);
    bar->hide();
    bar->SetBackgroundColor(ButtonFaceColor());
    bar->SetBarColor1(ColorFromWin(12703487));
    bar->SetBarColor2(QColor(255, 0, 0));
    bar->SetBarColorStyle(TMyProgressBarNew::cs2Colors);
    bar->SetBevelOuter(TMyProgressBarNew::bvNone);
    bar->SetPercentage(true);
    bar->SetTextAlign(TMyProgressBarNew::taCenter);
    return bar;
}
} // namespace

void TFrmMain::BuildLayout() {
    InstallAccessibleInterfaces();
    setObjectName(QStringLiteral("FrmMain"));
    QFont f;
    f.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                   QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    f.setPixelSize(12);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ButtonFaceColor());
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    BuildTopPanel();
    column->addWidget(Panel1);
    BuildToolBar();
    column->addWidget(plTool);
    sg = new TRegisterGrid(reg_, this);
    sg->setObjectName(QStringLiteral("sg"));
    sg->setAccessibleName(QStringLiteral("视频登记库"));
    column->addWidget(sg, 1);
    BuildStatusBar();
    column->addWidget(SB);
    BuildPopupMenu();

    btnBreak = MakeButton(this, "btnBreak", QStringLiteral("中断"), QRect(0, 0, 34, 24));
    btnBreak->hide();

    // The search's work lists: never shown.
    lstDirectory = Make<QListWidget>(this, "lstDirectory");
    lstDirectory->hide();
    lstFiles = Make<QListWidget>(this, "lstFiles");
    lstFiles->hide();

    NameControls(this);
}

void TFrmMain::BuildTopPanel() {
    Panel1 = Make<QWidget>(this, "Panel1");
    Panel1->setFixedHeight(201);
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(6, 6, 6, 6);
    row->setSpacing(0);

    GroupBox2 = Make<QGroupBox>(Panel1, "GroupBox2");
    GroupBox2->setTitle(QStringLiteral(" 选择磁盘或网络路径 "));
    GroupBox2->setFixedWidth(425);
    stDir = Make<QTreeView>(GroupBox2, "stDir");
    stDir->setGeometry(8, 18, 150, 165);
    btnAddDir =
        MakeButton(GroupBox2, "btnAddDir", QStringLiteral("加入路径>>"), QRect(162, 20, 92, 25));
    btnDelDir =
        MakeButton(GroupBox2, "btnDelDir", QStringLiteral("删除路径<<"), QRect(162, 50, 92, 25));
    btnSearchNew = MakeButton(GroupBox2, "btnSearchNew", QStringLiteral("重新搜索>>"),
                              QRect(162, 128, 92, 25));
    btnSearchNew->setToolTip(QStringLiteral("搜索结果覆盖原来登记库！"));
    btnSearchAppend = MakeButton(GroupBox2, "btnSearchAppend", QStringLiteral("添加搜索>>"),
                                 QRect(162, 158, 92, 25));
    btnSearchAppend->setToolTip(QStringLiteral("搜索结果添加到原来登记库之后！"));
    lstDirs = Make<QListWidget>(GroupBox2, "lstDirs");
    lstDirs->setGeometry(258, 18, 159, 106);
    lstDirs->setToolTip(QStringLiteral("系统自动搜索的磁盘或网络路径"));
    Label1 = MakeLabel(GroupBox2, "Label1",
                       QStringLiteral("  系统自动搜索所有子文件夹，不要指定子文件夹。"
                                      "选择盘符或网络路径即可。"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(258, 127, 159, 58);
    row->addWidget(GroupBox2);

    Panel3 = Make<QWidget>(Panel1, "Panel3");
    Panel3->setFixedWidth(8);
    row->addWidget(Panel3);

    gbType = Make<QGroupBox>(Panel1, "gbType");
    gbType->setTitle(QStringLiteral(" 搜索文件类型 "));
    gbType->setFixedWidth(144);
    edFileType = Make<QLineEdit>(gbType, "edFileType");
    edFileType->setMaxLength(4);
    edFileType->setText(QStringLiteral("rmvb"));
    edFileType->setToolTip(QStringLiteral("输入要搜索的文件扩展名"));
    edFileType->setGeometry(8, 20, 46, 23);
    btnAddExt = MakeButton(gbType, "btnAddExt", QStringLiteral("加入"), QRect(57, 19, 38, 25));
    dtnDelExt = MakeButton(gbType, "dtnDelExt", QStringLiteral("删除"), QRect(98, 19, 38, 25));
    lstExt = Make<QListWidget>(gbType, "lstExt");
    lstExt->setGeometry(8, 50, 128, 133);
    row->addWidget(gbType);

    Panel2 = Make<QWidget>(Panel1, "Panel2");
    Panel2->setFixedWidth(8);
    row->addWidget(Panel2);

    gbPlay = Make<QGroupBox>(Panel1, "gbPlay");
    gbPlay->setTitle(QStringLiteral(" 视频显示 "));
    Panel4 = Make<QFrame>(gbPlay, "Panel4");
    static_cast<QFrame*>(Panel4)->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel4->setGeometry(3, 16, 241, 170);
    auto* pageBox = new QVBoxLayout(Panel4);
    pageBox->setContentsMargins(4, 4, 4, 4);
    PC = Make<QTabWidget>(Panel4, "PC");
    pageBox->addWidget(PC);

    TabSheet1 = Make<QWidget>(PC, "TabSheet1");
    auto* videoBox = new QVBoxLayout(TabSheet1);
    videoBox->setContentsMargins(0, 0, 0, 0);
    // The video pane: black, hand cursor, paints the graph's pictures.
    VW = Make<TVideoWindow>(TabSheet1, "VW");
    videoBox->addWidget(VW);
    PC->addTab(TabSheet1, QStringLiteral("视频区"));

    TabSheet2 = Make<QWidget>(PC, "TabSheet2");
    auto* filterBox = new QVBoxLayout(TabSheet2);
    filterBox->setContentsMargins(0, 0, 0, 0);
    lbFilters = Make<QListWidget>(TabSheet2, "lbFilters");
    filterBox->addWidget(lbFilters);
    PC->addTab(TabSheet2, QStringLiteral("解码器"));

    TabSheet4 = Make<QWidget>(PC, "TabSheet4");
    auto* historyBox = new QVBoxLayout(TabSheet4);
    historyBox->setContentsMargins(0, 0, 0, 0);
    mmHis = Make<QPlainTextEdit>(TabSheet4, "mmHis");
    mmHis->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmHis->setTabChangesFocus(true); // Tab goes on to the next control, as in every memo
    mmHis->setPlainText(QStringLiteral("操作记录"));
    historyBox->addWidget(mmHis);
    PC->addTab(TabSheet4, QStringLiteral("操作记录"));

    Image1 = Make<QLabel>(gbPlay, "Image1");
    Image1->setPixmap(DecorativePicture());
    Image1->setScaledContents(true);
    Image1->setGeometry(253, 50, 250, 80);
    row->addWidget(gbPlay, 1);
}

void TFrmMain::BuildToolBar() {
    auto* bar = Make<QFrame>(this, "plTool");
    bar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->setFixedHeight(28);
    plTool = bar;
    auto* row = new QHBoxLayout(plTool);
    row->setContentsMargins(3, 2, 3, 2);
    row->setSpacing(2);

    Label2 = MakeLabel(plTool, "Label2", QStringLiteral("查询"));
    row->addWidget(Label2);
    edCont = Make<QLineEdit>(plTool, "edCont");
    edCont->setText(QStringLiteral("生化危机"));
    edCont->setFixedWidth(92);
    Label2->setBuddy(edCont);
    row->addWidget(edCont);
    btnQryFileName = Make<QPushButton>(plTool, "btnQryFileName");
    btnQryFileName->setText(QStringLiteral("文件查询"));
    btnQryFileName->setFixedWidth(58);
    row->addWidget(btnQryFileName);
    btnQryFilePath = Make<QPushButton>(plTool, "btnQryFilePath");
    btnQryFilePath->setText(QStringLiteral("路径查询"));
    btnQryFilePath->setFixedWidth(58);
    row->addWidget(btnQryFilePath);

    btnPlay = MakeSpeedButton(plTool, "btnPlay", "media-playback-start", QStyle::SP_MediaPlay);
    btnPlay->setToolTip(QStringLiteral("强行从节目播出表的当前行开始播放"));
    btnPlay->setAccessibleName(QStringLiteral("播放")); // the hint is read as its description
    row->addWidget(btnPlay);
    btnPause = MakeSpeedButton(plTool, "btnPause", "media-playback-pause", QStyle::SP_MediaPause);
    btnPause->setToolTip(QStringLiteral("暂停"));
    row->addWidget(btnPause);
    btnStop = MakeSpeedButton(plTool, "btnStop", "media-playback-stop", QStyle::SP_MediaStop);
    btnStop->setToolTip(QStringLiteral("停止"));
    row->addWidget(btnStop);

    lbLeft = MakeChannelButton(plTool, "lbLeft", QStringLiteral("左声"), TMyRadionBtn::btSquare,
                               Qt::blue);
    row->addWidget(lbLeft);
    lbCenter = MakeChannelButton(plTool, "lbCenter", QStringLiteral("立体"), TMyRadionBtn::btRound,
                                 Qt::black);
    lbCenter->SetChecked(true);
    row->addWidget(lbCenter);
    lbRight = MakeChannelButton(plTool, "lbRight", QStringLiteral("右声"), TMyRadionBtn::btSquare,
                                Qt::red);
    row->addWidget(lbRight);

    btnSelAudioChl =
        MakeSpeedButton(plTool, "btnSelAudioChl", "audio-volume-high", QStyle::SP_MediaVolume);
    btnSelAudioChl->setToolTip(QStringLiteral("选择音轨"));
    row->addWidget(btnSelAudioChl);
    cbAudioChl = Make<QComboBox>(plTool, "cbAudioChl");
    cbAudioChl->setEditable(false);
    cbAudioChl->setToolTip(QStringLiteral("音轨数"));
    cbAudioChl->setFixedWidth(40);
    row->addWidget(cbAudioChl);

    Label3 = MakeLabel(plTool, "Label3", QStringLiteral("进度"));
    row->addWidget(Label3);
    PB = Make<TDSTrackBar>(plTool, "PB");
    PB->setMinimumWidth(40);
    Label3->setBuddy(PB);
    row->addWidget(PB, 1);
    QFont bold = font();
    bold.setBold(true);
    for (QLabel** time : {&lbPos, &lbLen}) {
        *time = MakeLabel(plTool, time == &lbPos ? "lbPos" : "lbLen", QStringLiteral("00:00:00"));
        (*time)->setFont(bold);
        QPalette red = (*time)->palette();
        red.setColor(QPalette::WindowText, Qt::red);
        (*time)->setPalette(red);
        row->addWidget(*time);
    }
    Label4 = MakeLabel(plTool, "Label4", QStringLiteral("音量"));
    row->addWidget(Label4);
    SoundLevel = Make<QSlider>(plTool, "SoundLevel");
    SoundLevel->setOrientation(Qt::Horizontal);
    SoundLevel->setRange(0, 10000);
    SoundLevel->setPageStep(500);
    SoundLevel->setTickPosition(QSlider::TicksBelow); // without a position no tick is drawn
    SoundLevel->setTickInterval(1000);
    SoundLevel->setValue(6000);
    SoundLevel->setFixedWidth(80);
    Label4->setBuddy(SoundLevel);
    row->addWidget(SoundLevel);
}

void TFrmMain::BuildStatusBar() {
    SB = new TStatusPanels({40, 480, 168, 50}, this);
    SB->setObjectName(QStringLiteral("SB"));
    SB->setAccessibleName(QStringLiteral("状态栏"));
    SB->setFixedHeight(23);
    SB->SetText(0, QStringLiteral(" 提 示"));
    PB2Bar = MakeStatusProgressBar(this, "PB2");
    PB2Bar->SetMax(200);
    PB3Bar = MakeStatusProgressBar(this, "PB3");
}
