#include "tests/ui/expected_texts.h"

// Numbered as the code asks for them. The line breaks are CR LF. The eighth line of the Japanese
// notice of use starts with an ideographic space (U+3000), written as an escape so that it stays
// visible.
const std::vector<ExpectedText>& ExpectedTexts() {
    static const std::vector<ExpectedText> texts = {
        {101, L"firmware updater Version(&A)...",
         L"バージョン情報 ファームウェアアップデータ(&A)..."},
        {102, L"Target is not found", L"このプログラムに対応したDVDドライブが見つかりません。"},
        {103, L"cannot load wnaspi32.dll", L"wnaspi32.dllがロードできませんでした。"},
        {104, L"cannot get addres of ASPI32SupportInfo()",
         L"GetASPI32SupportInfoのアドレスが取得できませんでした。"},
        {105, L"cannot get address of SendASPI32Command()",
         L"SendASPI32Commandのアドレスが取得できませんでした。"},
        {106, L"cannot get OS type", L"不明なOSです。"},
        {107,
         L"A disc is in a drive.\r\nPlease take out disc and push the \"update\" button again.",
         L"ディスクが入っています。ディスクを取り出してから、\r\nもう一度、【アップデート開始】ボタ"
         L"ンを押してください。"},
        {108, L"device open failed", L"デバイスのオープンに失敗しました。"},
        {109, L"Firmware update completes.\r\nrestart PC.",
         L"アップデートが完了しました.。\r\nPCを再起動します。"},
        {110, L"unexpected error occured",
         L"予期していないエラーが起こりました。\r\nアップデートできませんでした。"},
        {111, L"command error occured",
         L"コマンドエラーが発生しました。\r\nアップデートできませんでした。"},
        {112, L"firmware updater", L"ファームウェア アップデータ"},
        {113,
         L"The use in an improper way may cause the serious obstacle\r\nfor a system.\r\nPlease "
         L"execute according to the following notes.\r\n\r\n[Notes]\r\n\r\n-Please do not perform "
         L"operation which makes a computer\r\n a standby state and hibernation or shuts down a "
         L"power supply\r\n during program execution.\r\n-This function requires administrative "
         L"rights to execute.\r\n\r\nPlease close all applications before executing this "
         L"program.\r\n\r\nExecute?",
         L"このプログラムの誤った使用はシステムに重大な障害を\r\n起こすことがあります。\r\n下記の注"
         L"意事項にしたがって実行してください。\r\n\r\n[注意事項]"
         L"\r\n\r\n－プログラム実行中はシステムをスタンバイや休止状態にしたり\r\n\u3000電源を切る動"
         L"作を行わないでください\r\n－管理者権限をもつユーザーで実行してください\r\n\r\nこのプログ"
         L"ラムを実行する前に\r\n全てのウィンドウおよびアプリケーションを終了してください。\r\n\r\n"
         L"実行しますか？"},
        {114, L"firmware file not found", L"ファームウェアファイルが見つかりません。"},
        {115, L"please exit windows after closing this firmware updater",
         L"アップデートツールを閉じてから、Windowsを終了してください。"},
        {116,
         L"Updater failed.\r\nBut if drive name is displayed in [target drive]\r\nplease push "
         L"[update] button again.",
         L"アップデートに失敗しました。\r\n【検出されたドライブ】にドライブ名が表示されている場合は"
         L"、\r\nもう一度【アップデート開始】ボタンを押してください。"},
        {117, L"complete successfully", L"アップデートが正常に終了しました。"},
        {118, L"imcompatible firmware file",
         L"ドライブとファームウェアファイルの情報不一致\r\nアップデートを中止します。"},
        {119, L"command error occured",
         L"コマンドエラーが発生しました。\r\nアップデートを中止します。"},
        {120, L"file open error", L"ファイルオープンエラー。"},
        {121, L"It is unnecessary to update.", L"DVDドライブのファームウェアは書き換え不要です。"},
        {122, L"please wait a second.", L"もうしばらくお待ちください。"},
        {123,
         L"A disc is in a drive.\r\nPlease take out disc and push the \"update\" button again.",
         L"ディスクが挿入されています。\r\n「OK」をクリックしてディスクを取り出してください。"},
        {124, L" ",
         L"このアップデータはリブートを行ないバージョンです。\r\nリブートを行うのは、version0."
         L"01、0.02です。"},
        {125, L" seconds to go", L"残り"},
        {126,
         L"You are logging in in the limitation user.\r\n\r\nPlease log in in the administrator "
         L"user and execute this program.",
         L"制限ユーザーでログインしています。\r\n\r\nこのプログラムは管理者ユーザーでログインして\r"
         L"\n実行してください。"},
        {127, L"Targets are more than one drive.", L"ドライブが2台以上接続されています。"},
    };
    return texts;
}
