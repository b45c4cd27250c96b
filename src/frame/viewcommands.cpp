#include "frame/viewcommands.h"

#include "frame/commandids.h"
#include "frame/commandregistry.h"
#include "frame/documentmemory.h"
#include "view/browsercontrol.h"
#include "view/pagoraview.h"

void RegisterViewCommands(CCommandRegistry& commands, CPagoraView* v, CDocumentMemory* memory) {
    commands.Add(ID_FILE_OPEN, "file.open", "打开文件(&O)...\tCtrl+O", "打开本地文件\n打开文件", [v, memory] {
        const std::string path = v->ChooseFileToOpen();
        if (!path.empty()) memory->Open(path);
    });
    commands.Add(ID_FILE_SAVE_AS, "file.save-as", "另存为(&A)...\tCtrl+S", "将该文档保存到文件中\n另存为",
                 [v] { v->OnSaveAs(); });
    commands.Add(ID_FILE_PAGE_SETUP, "file.page-setup", "页面设置(&U)...",
                 "更改该页的纸张、页眉、页脚、方向以及页边距\n页面设置", [v] { v->OnPageSetup(); });
    commands.Add(ID_FILE_PRINT, "file.print", "打印(&P)...\tCtrl+P", "打印该页\n打印", [v] { v->OnPrint(); });
    commands.Add(ID_FILE_PRINT_PREVIEW, "file.print-preview", "打印预览(&V)", "预览页面的打印效果\n打印预览",
                 [v] { v->OnPrintPreview(); });
    commands.Add(ID_VIEW_SOURCE, "view.source", "源文件", "显示该页的HTML源文件\n查看源文件", [v] { v->OnViewSource(); });
    commands.Add(ID_VIEW_DECODED_SOURCE, "view.decoded-source", "解码源文件",
                 "对于加密HTML，尝试解码，然后显示解码后的HTML内容\n解码源文件", [v] { v->OnViewDecodedSource(); });
    commands.Add(ID_VIEW_TEXT, "view.text", "文本", "显示该页的文本\n查看文本", [v] { v->OnViewText(); });
    commands.Add(ID_STOP, "go.stop", "停止(&P)", "停止加载当前页\n停止", [v] { v->OnStop(); });
    commands.Add(ID_REFRESH, "go.refresh", "刷新(&R)\tF5", "刷新当前页内容\n刷新", [v] { v->OnRefresh(); });
    commands.Add(ID_BACK, "go.back", "后退(&B)\tAlt+Left", "转到上一页\n后退", [v] { v->OnBack(); })
        .EnabledWhen([v] { return v->Browser()->CanGoBack(); });
    commands.Add(ID_FORWARD, "go.forward", "前进(&F)\tAlt+Right", "转到下一页\n前进", [v] { v->OnForward(); })
        .EnabledWhen([v] { return v->Browser()->CanGoForward(); });
    commands.Add(ID_HOME, "go.home", "主页(&S)", "转到主页\n主页", [v] { v->OnHome(); });
    commands.Add(ID_FOLDER_HOME, "go.folder-home", "当前文件夹的主页",
                 "打开当前文件夹（或ZIP文件）中的index.htm\n当前文件夹的主页", [v] { v->OnFolderHome(); });
    commands.Add(ID_PARENT_FOLDER, "go.parent-folder", "上级文件夹", "打开上级文件夹中的index.htm\n上级文件夹",
                 [v] { v->OnParentFolder(); });
    commands.Add(ID_FIND, "page.find", "在页面中查找...\tCtrl+F", "在当前页面中查找文字\n查找", [v] { v->OnFind(); });
    commands.Add(ID_WEB_SEARCH, "page.web-search", "Web搜索(&W)", "打开googel搜索页面\nWeb搜索",
                 [v] { v->OnWebSearch(); });
}
