<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>ArchiveAllInOne</name>
    <message>
        <source>同じ名前のファイルが複数あるため、1つの書庫にまとめられません。</source>
        <translation>Several files have the same name, so they cannot go into one archive.</translation>
    </message>
    <message>
        <source>書庫の名前が元のファイルと同じになるため圧縮できません。<byte value="xd"/>
</source>
        <translation>The archive would have the name of one of its files, so it cannot be made.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>リストファイルを作成できませんでした。<byte value="xd"/>
</source>
        <translation>The list file could not be written.<byte value="xd"/>
</translation>
    </message>
</context>
<context>
    <name>ArchiveEachFile</name>
    <message>
        <source>ファイルがありません</source>
        <translation>The file is missing</translation>
    </message>
    <message>
        <source>存在しないファイルです。場所を確認してください。</source>
        <translation>The file does not exist. Check where it is.</translation>
    </message>
    <message>
        <source>ライブラリに渡せない名前です</source>
        <translation>Its name cannot be given to the library</translation>
    </message>
    <message>
        <source>書庫の名前が元のファイルと同じです</source>
        <translation>The archive has the name of its file</translation>
    </message>
    <message>
        <source>書庫の名前が元のファイルと同じになるため圧縮できません。<byte value="xd"/>
</source>
        <translation>The archive would have the name of one of its files, so it cannot be made.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>既存の書庫を残しました</source>
        <translation>The existing archive was kept</translation>
    </message>
    <message>
        <source>個目(全体:</source>
        <translation> of </translation>
    </message>
    <message>
        <source>個)のファイルを圧縮中</source>
        <translation>: archiving</translation>
    </message>
</context>
<context>
    <name>ArchiveRun</name>
    <message>
        <source>「</source>
        <translation>"</translation>
    </message>
    <message>
        <source>」はすでに存在します。
上書きしますか？</source>
        <translation>" already exists.
Replace it?</translation>
    </message>
    <message>
        <source>ファイル名をそのまま書庫ライブラリに渡せないため圧縮できません。<byte value="xd"/>
</source>
        <translation>The file name cannot be given to the archiver library as it is, so it cannot be archived.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>対応していない形式です</source>
        <translation>The format is not supported</translation>
    </message>
    <message>
        <source>圧縮に必要な「</source>
        <translation>The "</translation>
    </message>
    <message>
        <source>」がインストールされていません。</source>
        <translation>" needed for archiving is not installed.</translation>
    </message>
    <message>
        <source>ツールを起動できません</source>
        <translation>The tool cannot be started</translation>
    </message>
    <message>
        <source>ファイルがありません。</source>
        <translation>There are no files.</translation>
    </message>
    <message>
        <source>対応していない形式のファイルです</source>
        <translation>The file is of a format that is not supported</translation>
    </message>
</context>
<context>
    <name>ArchiveTrash</name>
    <message>
        <source>ごみ箱へ移動しました</source>
        <translation>Moved to the Trash</translation>
    </message>
    <message>
        <source>削除しました（ごみ箱がありません）</source>
        <translation>Deleted (there is no Trash)</translation>
    </message>
    <message>
        <source>ごみ箱がないため削除しませんでした</source>
        <translation>Not deleted: there is no Trash</translation>
    </message>
    <message>
        <source>この書庫の場所にはごみ箱がありません。<byte value="xd"/>
</source>
        <translation>There is no Trash where this archive lies.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source><byte value="xd"/>
解凍できた書庫を完全に削除しますか？（この実行中は再び確認しません）</source>
        <translation><byte value="xd"/>
Delete the extracted archives for good? (Not asked again during this run.)</translation>
    </message>
</context>
<context>
    <name>ArchiverDLLStatus</name>
    <message>
        <source>QuiverExtractorの対応DLLが変化しました。
Quiver Extractorを再起動して下さい。</source>
        <translation>The libraries QuiverExtractor can use have changed.
Please start Quiver Extractor again.</translation>
    </message>
</context>
<context>
    <name>ArchiverDLL_TreeViewer</name>
    <message>
        <source>親フォルダを選択して下さい。</source>
        <translation>Choose the parent folder.</translation>
    </message>
    <message>
        <source>フォルダ名を入力して下さい。</source>
        <translation>Enter the folder name.</translation>
    </message>
    <message>
        <source>このフォルダ名は使えません。</source>
        <translation>This folder name cannot be used.</translation>
    </message>
    <message>
        <source>フォルダは追加できません。<byte value="xd"/>
</source>
        <translation>Folders cannot be added.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>対応していない形式のファイルです</source>
        <translation>The file is of a format that is not supported</translation>
    </message>
    <message>
        <source>作業フォルダが空ではありません。<byte value="xd"/>
</source>
        <translation>The work folder is not empty.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>ファイルをコピーできませんでした。<byte value="xd"/>
</source>
        <translation>The file could not be copied.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>ファイルを追加できませんでした。<byte value="xd"/>
</source>
        <translation>The file could not be added.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>このファイル名は追加できません。<byte value="xd"/>
</source>
        <translation>A file of this name cannot be added.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>追加先パスが選択されていません。</source>
        <translation>No folder to add to is chosen.</translation>
    </message>
    <message>
        <source>ファイル追加</source>
        <translation>Add files</translation>
    </message>
    <message>
        <source>ファイル追加失敗</source>
        <translation>Adding the files failed</translation>
    </message>
</context>
<context>
    <name>BatchRun</name>
    <message>
        <source>解凍は中止しました。</source>
        <translation>The extraction was cancelled.</translation>
    </message>
    <message>
        <source>解凍先のフォルダが設定されていません。</source>
        <translation>No destination folder is set.</translation>
    </message>
    <message>
        <source>書庫のチェック中</source>
        <translation>Checking the archives</translation>
    </message>
    <message>
        <source>解凍中止。</source>
        <translation>Extraction stopped.</translation>
    </message>
    <message>
        <source>書庫または環境に問題があるため、解凍を中止します。</source>
        <translation>The extraction stops: there is a problem with an archive or the environment.</translation>
    </message>
    <message>
        <source>エラーが</source>
        <translation>Errors found: </translation>
    </message>
    <message>
        <source>件ありました。</source>
        <translation>.</translation>
    </message>
    <message>
        <source>件ありました。詳細はErrorLogをご覧下さい。</source>
        <translation>. See the ErrorLog for details.</translation>
    </message>
</context>
<context>
    <name>CommonDialogs</name>
    <message>
        <source>詳細(&amp;D)</source>
        <translation>&amp;Details</translation>
    </message>
    <message>
        <source>ファイルを開く</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>ファイルを保存</source>
        <translation>Save File</translation>
    </message>
    <message>
        <source>フォルダの選択</source>
        <translation>Choose a Folder</translation>
    </message>
</context>
<context>
    <name>Completion</name>
    <message>
        <source>個のファイルを解凍完了！</source>
        <translation> file(s) extracted!</translation>
    </message>
    <message>
        <source>個のファイルを圧縮完了！</source>
        <translation> file(s) archived!</translation>
    </message>
    <message>
        <source>（</source>
        <translation> (</translation>
    </message>
    <message>
        <source>個失敗）</source>
        <translation> failed)</translation>
    </message>
    <message>
        <source>中止しました。（</source>
        <translation>Stopped. (</translation>
    </message>
    <message>
        <source>個のファイルを解凍済み</source>
        <translation> file(s) extracted</translation>
    </message>
    <message>
        <source>個のファイルを圧縮済み</source>
        <translation> file(s) archived</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>個失敗</source>
        <translation> failed</translation>
    </message>
    <message>
        <source>）</source>
        <translation>)</translation>
    </message>
</context>
<context>
    <name>DesktopNotification</name>
    <message>
        <source>フォルダを開く</source>
        <translation>Open Folder</translation>
    </message>
</context>
<context>
    <name>ExtractArchives</name>
    <message>
        <source>存在しないファイルです。場所を確認してください。</source>
        <translation>The file does not exist. Check where it is.</translation>
    </message>
    <message>
        <source>ファイルがありません</source>
        <translation>The file is missing</translation>
    </message>
    <message>
        <source>対応していない形式です</source>
        <translation>The format is not supported</translation>
    </message>
    <message>
        <source>対応していない形式のファイルです</source>
        <translation>The file is of a format that is not supported</translation>
    </message>
    <message>
        <source>ファイルがありません。</source>
        <translation>There are no files.</translation>
    </message>
    <message>
        <source>個目(全体:</source>
        <translation> of </translation>
    </message>
    <message>
        <source>個)のファイルを解凍中</source>
        <translation>: extracting</translation>
    </message>
    <message>
        <source>個の書庫をごみ箱へ移動しました</source>
        <translation> archive(s) moved to the Trash</translation>
    </message>
</context>
<context>
    <name>FileList</name>
    <message>
        <source>個</source>
        <translation> file(s)</translation>
    </message>
    <message>
        <source>ファイル登録済み(</source>
        <translation> file(s) listed (</translation>
    </message>
    <message>
        <source>追加)</source>
        <translation> added)</translation>
    </message>
    <message>
        <source>消去)</source>
        <translation> removed)</translation>
    </message>
    <message>
        <source>キャンセルしました。</source>
        <translation>Cancelled.</translation>
    </message>
    <message>
        <source>ファイルリストを読み込めませんでした。</source>
        <translation>The file list could not be loaded.</translation>
    </message>
    <message>
        <source>ファイルリストを読み込みました。</source>
        <translation>The file list was loaded.</translation>
    </message>
    <message>
        <source>登録されているファイルがありません。<byte value="xd"/>
中止します。</source>
        <translation>The list holds no files.<byte value="xd"/>
Nothing is done.</translation>
    </message>
    <message>
        <source>中止しました。</source>
        <translation>Stopped.</translation>
    </message>
    <message>
        <source>ファイルリストを保存できませんでした。</source>
        <translation>The file list could not be saved.</translation>
    </message>
    <message>
        <source>ファイルリストを保存しました。</source>
        <translation>The file list was saved.</translation>
    </message>
</context>
<context>
    <name>FileListBox</name>
    <message>
        <source>（%1個の分割ファイル）</source>
        <translation> (%1 volume files)</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>ｷﾀ━━━━━━(ﾟ∀ﾟ)━━━━━━!!</source>
        <translation>ｷﾀ━━━━━━(ﾟ∀ﾟ)━━━━━━!!</translation>
    </message>
    <message>
        <source>書庫</source>
        <translation> archive</translation>
    </message>
    <message>
        <source>ライブラリのインストーラ(caldix)が見つかりません。<byte value="xd"/>
</source>
        <translation>The library installer (caldix) was not found.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>エラーログ(Log.txt)はありません。</source>
        <translation>There is no error log (Log.txt).</translation>
    </message>
</context>
<context>
    <name>HelpMenu</name>
    <message>
        <source>ヘルプファイルが見つかりません。<byte value="xd"/>
</source>
        <translation>The help file was not found.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>index.html</source>
        <translation>index.en.html</translation>
    </message>
</context>
<context>
    <name>ListViewer</name>
    <message>
        <source>対応していない形式のファイルです</source>
        <translation>The file is of a format that is not supported</translation>
    </message>
    <message>
        <source>解凍は中止しました。</source>
        <translation>The extraction was cancelled.</translation>
    </message>
    <message>
        <source>この名前のファイルは書庫から取り出せません。</source>
        <translation>A file of this name cannot be taken out of the archive.</translation>
    </message>
    <message>
        <source>解凍完了！</source>
        <translation>Extracted!</translation>
    </message>
    <message>
        <source>ファイルの解凍に失敗しました。</source>
        <translation>The file could not be extracted.</translation>
    </message>
    <message>
        <source>解凍先のフォルダに書き込めません。<byte value="xd"/>
</source>
        <translation>The destination folder cannot be written.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>管理者の権限でシステムのフォルダへ解凍しようとしています。<byte value="xd"/>
</source>
        <translation>You are about to extract into a system folder with administrator rights.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source><byte value="xd"/>
よろしいですか？</source>
        <translation><byte value="xd"/>
Go on?</translation>
    </message>
    <message>
        <source>この名前のファイルは書庫から削除できません。</source>
        <translation>A file of this name cannot be deleted from the archive.</translation>
    </message>
    <message>
        <source><byte value="xd"/>
を書庫から削除します。元に戻せません。よろしいですか？</source>
        <translation><byte value="xd"/>
will be deleted from the archive. This cannot be undone. Go on?</translation>
    </message>
</context>
<context>
    <name>MailComponent</name>
    <message>
        <source>サーバーが受け付けませんでした。</source>
        <translation>The server refused it.</translation>
    </message>
    <message>
        <source>サーバーが時間内に応答しませんでした。</source>
        <translation>The server did not answer in time.</translation>
    </message>
    <message>
        <source>ログインできませんでした（ユーザー名、パスワードまたは認証方式）。</source>
        <translation>The login failed (user name, password or authentication method).</translation>
    </message>
    <message>
        <source>サーバーが見つかりません。</source>
        <translation>The server was not found.</translation>
    </message>
    <message>
        <source>サーバーに接続できません。</source>
        <translation>The server cannot be reached.</translation>
    </message>
    <message>
        <source>TLS（暗号化）の接続に失敗しました。</source>
        <translation>The TLS (encrypted) connection failed.</translation>
    </message>
    <message>
        <source>サーバーとの通信が途切れました。</source>
        <translation>The connection to the server broke off.</translation>
    </message>
    <message>
        <source>メール送信エラー: </source>
        <translation>Mail sending error: </translation>
    </message>
    <message>
        <source>POP3ログインエラー: </source>
        <translation>POP3 login error: </translation>
    </message>
    <message>
        <source>通信を始められませんでした。</source>
        <translation>The connection could not be started.</translation>
    </message>
    <message>
        <source>サーバーの指定が正しくありません（</source>
        <translation>The server is not given correctly (</translation>
    </message>
    <message>
        <source>）。</source>
        <translation>).</translation>
    </message>
    <message>
        <source>差出人のアドレスが正しくありません。</source>
        <translation>The sender address is not valid.</translation>
    </message>
    <message>
        <source>宛先のアドレスが正しくありません。</source>
        <translation>The recipient address is not valid.</translation>
    </message>
    <message>
        <source>添付ファイルは送れません。</source>
        <translation>Attachments cannot be sent.</translation>
    </message>
    <message>
        <source>認証方式が正しくありません（</source>
        <translation>The authentication method is not valid (</translation>
    </message>
    <message>
        <source>コマンド「</source>
        <translation>The command "</translation>
    </message>
    <message>
        <source>」には対応していません。</source>
        <translation>" is not supported.</translation>
    </message>
    <message>
        <source>ユーザー名がありません。</source>
        <translation>There is no user name.</translation>
    </message>
</context>
<context>
    <name>MainControls</name>
    <message>
        <source>検査(&amp;T)</source>
        <translation>&amp;Test</translation>
    </message>
    <message>
        <source>書庫を展開せずに検査します</source>
        <translation>Tests the archives without extracting them</translation>
    </message>
    <message>
        <source>中止(&amp;S)</source>
        <translation>&amp;Stop</translation>
    </message>
    <message>
        <source>書庫のある場所</source>
        <translation>The archive's folder</translation>
    </message>
    <message>
        <source>自分で決定</source>
        <translation>Choose</translation>
    </message>
    <message>
        <source>いつものところ</source>
        <translation>The usual place</translation>
    </message>
    <message>
        <source>デスクトップ</source>
        <translation>Desktop</translation>
    </message>
    <message>
        <source>解凍先</source>
        <translation>Destination</translation>
    </message>
    <message>
        <source>個別</source>
        <translation>Each file</translation>
    </message>
    <message>
        <source>一括</source>
        <translation>All in one</translation>
    </message>
    <message>
        <source>圧縮方法</source>
        <translation>Archiving method</translation>
    </message>
    <message>
        <source>圧縮形式</source>
        <translation>Archive format</translation>
    </message>
</context>
<context>
    <name>MainWindowPortQt</name>
    <message>
        <source>パスワードの入力</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>パスワードの設定</source>
        <translation>Set a Password</translation>
    </message>
    <message>
        <source>パスワードが一致しません。</source>
        <translation>The passwords do not match.</translation>
    </message>
    <message>
        <source>パスワード(&amp;P):</source>
        <translation>&amp;Password:</translation>
    </message>
    <message>
        <source>もう一度(&amp;A):</source>
        <translation>&amp;Again:</translation>
    </message>
</context>
<context>
    <name>OptionArc</name>
    <message>
        <source>「</source>
        <translation>"</translation>
    </message>
    <message>
        <source>」の値「</source>
        <translation>": the value "</translation>
    </message>
    <message>
        <source>」は使えません。一覧から選択してください。</source>
        <translation>" cannot be used. Choose one from the list.</translation>
    </message>
</context>
<context>
    <name>OptionEx</name>
    <message>
        <source>の「</source>
        <translation>: the folder of "</translation>
    </message>
    <message>
        <source>」のフォルダが空です。フォルダを指定してください。</source>
        <translation>" is empty. Choose a folder.</translation>
    </message>
    <message>
        <source>通常解凍</source>
        <translation>Normal extraction</translation>
    </message>
    <message>
        <source>いつもの解凍先</source>
        <translation>Usual destination</translation>
    </message>
    <message>
        <source>簡易解凍</source>
        <translation>Easy extraction</translation>
    </message>
    <message>
        <source>自分であらかじめ決めた場所</source>
        <translation>A place chosen beforehand</translation>
    </message>
    <message>
        <source>書庫閲覧の「ダブルクリック時動作」の「アクション」と「場所」を選択してください。</source>
        <translation>Choose the "Action" and the "Place" of the archive viewer's "Double click".</translation>
    </message>
    <message>
        <source>書庫閲覧</source>
        <translation>Archive viewer</translation>
    </message>
    <message>
        <source>いつものところへ</source>
        <translation>To the usual place</translation>
    </message>
    <message>
        <source>書庫閲覧の「テンプレート指定」のフォルダを一覧から選択してください。</source>
        <translation>Choose the archive viewer's "Template" folder from the list.</translation>
    </message>
</context>
<context>
    <name>OptionRows</name>
    <message>
        <source>「</source>
        <translation>"</translation>
    </message>
    <message>
        <source>」には数字を入力してください。</source>
        <translation>" needs a number.</translation>
    </message>
</context>
<context>
    <name>Options</name>
    <message>
        <source>ZIPの圧縮に7zip32.dllを使う</source>
        <translation>Use 7zip32.dll for ZIP</translation>
    </message>
    <message>
        <source>LZHの圧縮レベル[jm]</source>
        <translation>LZH compression level [jm]</translation>
    </message>
    <message>
        <source>LZHのHuffmanバッファサイズ[je]</source>
        <translation>LZH Huffman buffer size [je]</translation>
    </message>
    <message>
        <source>ZIPの圧縮率・速度設定[#]</source>
        <translation>ZIP ratio and speed [#]</translation>
    </message>
    <message>
        <source>ZIP(7zip.dll)の圧縮レベル[mx]</source>
        <translation>ZIP (7zip.dll) compression level [mx]</translation>
    </message>
    <message>
        <source>ZIP(7zip.dll)の圧縮方法[mm]</source>
        <translation>ZIP (7zip.dll) method [mm]</translation>
    </message>
    <message>
        <source>Deflateエンコーダ用メモリ[mfb]</source>
        <translation>Deflate encoder memory [mfb]</translation>
    </message>
    <message>
        <source>Deflateエンコーダパス[mpass]</source>
        <translation>Deflate encoder passes [mpass]</translation>
    </message>
    <message>
        <source>ZIPにパスワードを付ける</source>
        <translation>Encrypt ZIP archives</translation>
    </message>
    <message>
        <source>ZIPの分割サイズ(MB)</source>
        <translation>ZIP volume size (MB)</translation>
    </message>
    <message>
        <source>CABの圧縮方式[m]</source>
        <translation>CAB method [m]</translation>
    </message>
    <message>
        <source>CABの圧縮率（LZX方式のみ）</source>
        <translation>CAB ratio (LZX only)</translation>
    </message>
    <message>
        <source>7ZIPの圧縮レベル[mx]</source>
        <translation>7ZIP compression level [mx]</translation>
    </message>
    <message>
        <source>ソリッドモード使用[ms]</source>
        <translation>Solid mode [ms]</translation>
    </message>
    <message>
        <source>使用実行可能ファイルのフィルタ使用[mf]</source>
        <translation>Filter for executables [mf]</translation>
    </message>
    <message>
        <source>書庫ヘッダ圧縮[mhc]</source>
        <translation>Compress the archive header [mhc]</translation>
    </message>
    <message>
        <source>完全書庫ヘッダ圧縮[mhcf]</source>
        <translation>Compress the whole archive header [mhcf]</translation>
    </message>
    <message>
        <source>7ZIPにパスワードを付ける</source>
        <translation>Encrypt 7ZIP archives</translation>
    </message>
    <message>
        <source>7ZIPの分割サイズ(MB)</source>
        <translation>7ZIP volume size (MB)</translation>
    </message>
    <message>
        <source>GZの圧縮レベル[N]</source>
        <translation>GZ compression level [N]</translation>
    </message>
    <message>
        <source>BZ2の圧縮レベル[N]</source>
        <translation>BZ2 compression level [N]</translation>
    </message>
    <message>
        <source>BZAの圧縮レベル[N]</source>
        <translation>BZA compression level [N]</translation>
    </message>
    <message>
        <source>GZAの圧縮レベル[N]</source>
        <translation>GZA compression level [N]</translation>
    </message>
    <message>
        <source>RKの圧縮レベル</source>
        <translation>RK compression level</translation>
    </message>
    <message>
        <source>RKのWAV圧縮レベル[mw]</source>
        <translation>RK WAV compression level [mw]</translation>
    </message>
    <message>
        <source>BHの圧縮方式</source>
        <translation>BH method</translation>
    </message>
    <message>
        <source>圧縮バッファサイズ[--buffer-size]</source>
        <translation>Compression buffer size [--buffer-size]</translation>
    </message>
    <message>
        <source>PPMアルゴリズムで圧縮する</source>
        <translation>Compress with the PPM algorithm</translation>
    </message>
    <message>
        <source>PAQARの圧縮レベル[m]</source>
        <translation>PAQAR compression level [m]</translation>
    </message>
    <message>
        <source>いつもの解凍先</source>
        <translation>Usual destination</translation>
    </message>
    <message>
        <source>自分であらかじめ決めた場所</source>
        <translation>A place chosen beforehand</translation>
    </message>
    <message>
        <source>いつものところへ</source>
        <translation>To the usual place</translation>
    </message>
    <message>
        <source>テンプレート指定</source>
        <translation>Template</translation>
    </message>
    <message>
        <source>マイ ドキュメント</source>
        <translation>My Documents</translation>
    </message>
    <message>
        <source>デスクトップ</source>
        <translation>Desktop</translation>
    </message>
    <message>
        <source>システムフォルダ</source>
        <translation>System folder</translation>
    </message>
</context>
<context>
    <name>PathHelpers</name>
    <message>
        <source>ファイル名に次の文字は使えません。<byte value="xd"/>
\ / : , * ? &quot; &lt; &gt; |</source>
        <translation>A file name cannot hold these characters:<byte value="xd"/>
\ / : , * ? " &lt; &gt; |</translation>
    </message>
</context>
<context>
    <name>PreScan</name>
    <message>
        <source>書庫のチェック中.</source>
        <translation>Checking the archives.</translation>
    </message>
    <message>
        <source>書庫のチェック中..</source>
        <translation>Checking the archives..</translation>
    </message>
    <message>
        <source>書庫のチェック中...</source>
        <translation>Checking the archives...</translation>
    </message>
    <message>
        <source>エラーが</source>
        <translation>Errors found: </translation>
    </message>
    <message>
        <source>あります。<byte value="xd"/>
解凍を続行しますか？</source>
        <translation>.<byte value="xd"/>
Go on extracting?</translation>
    </message>
</context>
<context>
    <name>Registry_Association</name>
    <message>
        <source>QuiverArchiverで解凍します</source>
        <translation>Extracts with QuiverArchiver</translation>
    </message>
</context>
<context>
    <name>Registry_Link</name>
    <message>
        <source>ショートカット情報の登録または取得に成功しました。</source>
        <translation>The shortcut was written or read.</translation>
    </message>
    <message>
        <source>CoInitialize の実行に</source>
        <translation>CoInitialize</translation>
    </message>
    <message>
        <source>失敗しました。</source>
        <translation>failed.</translation>
    </message>
    <message>
        <source>CoCreateInstance の実行に</source>
        <translation>CoCreateInstance</translation>
    </message>
    <message>
        <source>QueryInterface の実行に</source>
        <translation>QueryInterface</translation>
    </message>
    <message>
        <source>ショートカットファイルの Save または Load に</source>
        <translation>Saving or loading the shortcut file</translation>
    </message>
    <message>
        <source>Unicode への変換に</source>
        <translation>The conversion to Unicode</translation>
    </message>
    <message>
        <source>リンク先の設定または取得に</source>
        <translation>Setting or reading the target</translation>
    </message>
    <message>
        <source>コマンドライン引数の設定または取得に</source>
        <translation>Setting or reading the arguments</translation>
    </message>
    <message>
        <source>作業フォルダの設定または取得に</source>
        <translation>Setting or reading the work folder</translation>
    </message>
    <message>
        <source>Description の設定または取得に</source>
        <translation>Setting or reading the description</translation>
    </message>
    <message>
        <source>アイコンのパスおよびインデックスの設定または取得に</source>
        <translation>Setting or reading the icon</translation>
    </message>
    <message>
        <source>ショートカットキーの設定または取得に</source>
        <translation>Setting or reading the shortcut key</translation>
    </message>
    <message>
        <source>実行時の大きさの設定または取得に</source>
        <translation>Setting or reading the window size</translation>
    </message>
</context>
<context>
    <name>RunPasswords</name>
    <message>
        <source>パスワードが違います。
「</source>
        <translation>Wrong password.
"</translation>
    </message>
    <message>
        <source>」のパスワードをもう一度入力してください。</source>
        <translation>": enter its password again.</translation>
    </message>
    <message>
        <source>「</source>
        <translation>"</translation>
    </message>
    <message>
        <source>」のパスワードを入力してください。</source>
        <translation>": enter its password.</translation>
    </message>
</context>
<context>
    <name>RunProgressView</name>
    <message>
        <source>残り </source>
        <translation>Remaining </translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stop</translation>
    </message>
</context>
<context>
    <name>RunReport</name>
    <message>
        <source>「</source>
        <translation>"</translation>
    </message>
    <message>
        <source>」がありません</source>
        <translation>" is missing</translation>
    </message>
    <message>
        <source>（「</source>
        <translation> ("</translation>
    </message>
    <message>
        <source>」）</source>
        <translation>")</translation>
    </message>
    <message>
        <source>パスワードがないか、違います</source>
        <translation>No password, or a wrong one</translation>
    </message>
    <message>
        <source>データが壊れています</source>
        <translation>The data is broken</translation>
    </message>
    <message>
        <source>対応していない形式です</source>
        <translation>The format is not supported</translation>
    </message>
    <message>
        <source>書き込み先の空きがありません</source>
        <translation>The destination is full</translation>
    </message>
    <message>
        <source>書き込み先に書き込めません</source>
        <translation>The destination cannot be written</translation>
    </message>
    <message>
        <source>ファイルを読めません</source>
        <translation>The file cannot be read</translation>
    </message>
    <message>
        <source>中止しました</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>ライブラリが指示を受け付けません</source>
        <translation>The library does not take the command</translation>
    </message>
    <message>
        <source>該当するファイルがありません</source>
        <translation>No matching file</translation>
    </message>
    <message>
        <source>エラー（</source>
        <translation>Error (</translation>
    </message>
    <message>
        <source>）</source>
        <translation>)</translation>
    </message>
    <message>
        <source>使える名前がない</source>
        <translation>No usable name</translation>
    </message>
    <message>
        <source>デバイスまたはFIFO</source>
        <translation>A device or FIFO</translation>
    </message>
    <message>
        <source>展開先の外を指すリンク</source>
        <translation>A link pointing outside the destination</translation>
    </message>
    <message>
        <source>展開先にないファイルへのハードリンク</source>
        <translation>A hard link to a file outside the destination</translation>
    </message>
    <message>
        <source>安全のため除外</source>
        <translation>Left out for safety</translation>
    </message>
    <message>
        <source>解凍しました</source>
        <translation>Extracted</translation>
    </message>
    <message>
        <source>圧縮しました</source>
        <translation>Archived</translation>
    </message>
    <message>
        <source>正常です</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>失敗</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>個検査</source>
        <translation> tested</translation>
    </message>
    <message>
        <source>個書き出し</source>
        <translation> written</translation>
    </message>
    <message>
        <source>個除外</source>
        <translation> left out</translation>
    </message>
    <message>
        <source>	除外: </source>
        <translation>	Left out: </translation>
    </message>
    <message>
        <source> 解凍の結果</source>
        <translation> extraction results</translation>
    </message>
    <message>
        <source> 圧縮の結果</source>
        <translation> archiving results</translation>
    </message>
    <message>
        <source> 検査の結果</source>
        <translation> test results</translation>
    </message>
</context>
<context>
    <name>SendCompletionMail</name>
    <message>
        <source>解凍</source>
        <translation>Extraction</translation>
    </message>
    <message>
        <source>圧縮</source>
        <translation>Archiving</translation>
    </message>
    <message>
        <source>に失敗しました。</source>
        <translation> failed.</translation>
    </message>
    <message>
        <source>が完了しました。</source>
        <translation> is complete.</translation>
    </message>
    <message>
        <source>完了通知(</source>
        <translation>Completion notice (</translation>
    </message>
    <message>
        <source>メール送信エラー: SMTP認証のユーザー名に「:」は使えません。</source>
        <translation>Mail sending error: the SMTP user name cannot hold ":".</translation>
    </message>
    <message>
        <source>メール送信エラー: </source>
        <translation>Mail sending error: </translation>
    </message>
</context>
<context>
    <name>StartArchive</name>
    <message>
        <source>圧縮は中止しました。</source>
        <translation>The archiving was cancelled.</translation>
    </message>
    <message>
        <source>作成するファイル名(書庫名)を入力してください。</source>
        <translation>Enter the name of the archive to make.</translation>
    </message>
    <message>
        <source>キャンセルされました。</source>
        <translation>Cancelled.</translation>
    </message>
    <message>
        <source>圧縮先のフォルダが設定されていません。</source>
        <translation>No destination folder for the archives is set.</translation>
    </message>
    <message>
        <source>作成する書庫のパスワードを入力してください。</source>
        <translation>Enter the password of the archives to make.</translation>
    </message>
</context>
<context>
    <name>StatusBarPictures</name>
    <message>
        <source>ファイル名でフォルダを作成する</source>
        <translation>Make a folder named after the file</translation>
    </message>
    <message>
        <source>ファイル名でフォルダを作成しない</source>
        <translation>Make no folder named after the file</translation>
    </message>
    <message>
        <source>自動モード</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>書庫ファイル内のディレクトリを無視する</source>
        <translation>Ignore the folders inside the archives</translation>
    </message>
    <message>
        <source>書庫ファイル内のディレクトリを有効にする</source>
        <translation>Keep the folders inside the archives</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>Quit(&amp;X)</translation>
    </message>
    <message>
        <source>解凍モード(&amp;E)</source>
        <translation>&amp;Extract Mode</translation>
    </message>
    <message>
        <source>圧縮モード(&amp;R)</source>
        <translation>A&amp;rchive Mode</translation>
    </message>
    <message>
        <source>開始(&amp;G)</source>
        <translation>Start(&amp;G)</translation>
    </message>
    <message>
        <source>ファイルリストの読み込み</source>
        <translation>Load FileList</translation>
    </message>
    <message>
        <source>ファイルリストの保存</source>
        <translation>Save FileList</translation>
    </message>
    <message>
        <source>フィルタリング(&amp;F)</source>
        <translation>&amp;Filtering</translation>
    </message>
    <message>
        <source>ソート(&amp;S)</source>
        <translation>&amp;Sort</translation>
    </message>
    <message>
        <source>ツール(&amp;T)</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>&amp;DLLダウンロード</source>
        <translation>DLL &amp;Download</translation>
    </message>
    <message>
        <source>オプション(&amp;O)</source>
        <translation>&amp;Options</translation>
    </message>
    <message>
        <source>一般(&amp;G)</source>
        <translation>&amp;General</translation>
    </message>
    <message>
        <source>解凍(&amp;E)</source>
        <translation>&amp;Extract</translation>
    </message>
    <message>
        <source>圧縮(&amp;A)</source>
        <translation>&amp;Archive</translation>
    </message>
    <message>
        <source>エラーログの表示(&amp;L)</source>
        <translation>Show Error &amp;Logs</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>オンラインヘルプ(&amp;O)</source>
        <translation>&amp;OnlineHelp</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(&amp;A)</source>
        <translation>Version(&amp;A)</translation>
    </message>
    <message>
        <source>解凍(&amp;S)</source>
        <translation>Extract(&amp;S)</translation>
    </message>
    <message>
        <source>設定(&amp;O)</source>
        <translation>&amp;Option</translation>
    </message>
    <message>
        <source>圧縮(&amp;S)</source>
        <translation>Archive(&amp;S)</translation>
    </message>
</context>
<context>
    <name>TestArchives</name>
    <message>
        <source>ファイルがありません</source>
        <translation>The file is missing</translation>
    </message>
    <message>
        <source>検査できない形式です</source>
        <translation>This format cannot be tested</translation>
    </message>
    <message>
        <source>中止しました。（</source>
        <translation>Stopped. (</translation>
    </message>
    <message>
        <source>個の書庫を検査済み）</source>
        <translation> archive(s) tested)</translation>
    </message>
    <message>
        <source>個の書庫を検査しました</source>
        <translation> archive(s) tested</translation>
    </message>
    <message>
        <source>（</source>
        <translation> (</translation>
    </message>
    <message>
        <source>個異常）</source>
        <translation> with errors)</translation>
    </message>
    <message>
        <source>ファイルがありません。</source>
        <translation>There are no files.</translation>
    </message>
    <message>
        <source>個目(全体:</source>
        <translation> of </translation>
    </message>
    <message>
        <source>個)の書庫を検査中</source>
        <translation>: testing</translation>
    </message>
</context>
<context>
    <name>VolumeSet</name>
    <message>
        <source>「</source>
        <translation>"</translation>
    </message>
    <message>
        <source>」</source>
        <translation>"</translation>
    </message>
    <message>
        <source>が途中で切れています</source>
        <translation> is cut short</translation>
    </message>
    <message>
        <source>がありません</source>
        <translation> is missing</translation>
    </message>
</context>
<context>
    <name>frmAbout</name>
    <message>
        <source>のﾊﾞｰｼﾞｮﾝ情報</source>
        <translation> version information</translation>
    </message>
</context>
<context>
    <name>frmFiltering</name>
    <message>
        <source>フィルタリング</source>
        <translation>Filtering</translation>
    </message>
    <message>
        <source>含む</source>
        <translation>Contains</translation>
    </message>
    <message>
        <source>含まない</source>
        <translation>Does not contain</translation>
    </message>
    <message>
        <source>適用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>解除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>ファイル名:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>拡張子:</source>
        <translation>Extension:</translation>
    </message>
    <message>
        <source>キーワードを</source>
        <translation>The keyword</translation>
    </message>
</context>
<context>
    <name>frmListViewer</name>
    <message>
        <source>(つД｀) ﾊﾞﾚﾀ</source>
        <translation>(つД｀) ﾊﾞﾚﾀ</translation>
    </message>
    <message>
        <source>ポップアップメニュー</source>
        <translation>Pop-up menu</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>開く（場所を指定して保存）</source>
        <translation>Open (save to a chosen place)</translation>
    </message>
    <message>
        <source>開く（いつものところへ保存）</source>
        <translation>Open (save to the usual place)</translation>
    </message>
    <message>
        <source>解凍（解凍先を指定）</source>
        <translation>Extract (choose the destination)</translation>
    </message>
    <message>
        <source>解凍（いつものところへ）</source>
        <translation>Extract (to the usual place)</translation>
    </message>
    <message>
        <source>解凍(テンプレート指定)</source>
        <translation>Extract (template)</translation>
    </message>
    <message>
        <source>ファイル名の文字コード(&amp;C)</source>
        <translation>File name &amp;encoding</translation>
    </message>
    <message>
        <source>検査(&amp;T)</source>
        <translation>&amp;Test</translation>
    </message>
    <message>
        <source>削除(&amp;D)</source>
        <translation>&amp;Delete</translation>
    </message>
    <message>
        <source>圧縮ファイル名でフォルダを作成する</source>
        <translation>Make a folder named after the archive</translation>
    </message>
    <message>
        <source>ファイル名の文字コード(&amp;C): </source>
        <translation>File name &amp;encoding: </translation>
    </message>
    <message>
        <source>対応していない書庫です。</source>
        <translation>This archive is not supported.</translation>
    </message>
</context>
<context>
    <name>frmOption</name>
    <message>
        <source>関連づけ</source>
        <translation>Associations</translation>
    </message>
    <message>
        <source>関連づけの設定を行います。</source>
        <translation>Sets the file associations.</translation>
    </message>
    <message>
        <source>すべて選択</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>すべて解除</source>
        <translation>Clear all</translation>
    </message>
    <message>
        <source>通常</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>通常モードで起動します。</source>
        <translation>Starts in normal mode.</translation>
    </message>
    <message>
        <source>簡易解凍</source>
        <translation>Easy extraction</translation>
    </message>
    <message>
        <source>簡易解凍モードで起動します。</source>
        <translation>Starts in easy extraction mode.</translation>
    </message>
    <message>
        <source>起動方法</source>
        <translation>Start-up</translation>
    </message>
    <message>
        <source>関連づけを利用して起動する場合の起動方法を指定します。</source>
        <translation>How the program starts when opened through an association.</translation>
    </message>
    <message>
        <source>その他</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>その他の設定を行います。</source>
        <translation>Other settings.</translation>
    </message>
    <message>
        <source>フルパス</source>
        <translation>Full path</translation>
    </message>
    <message>
        <source>パス</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>ファイル名</source>
        <translation>File name</translation>
    </message>
    <message>
        <source>完了報告をしない</source>
        <translation>No completion notice</translation>
    </message>
    <message>
        <source>チェックを付けると、完了報告を行いません。</source>
        <translation>When checked, no completion notice is given.</translation>
    </message>
    <message>
        <source>完了報告をデスクトップにも通知する</source>
        <translation>Also show the completion notice on the desktop</translation>
    </message>
    <message>
        <source>完了報告と同じ内容をデスクトップの通知に表示します。</source>
        <translation>Shows the completion notice's text as a desktop notification.</translation>
    </message>
    <message>
        <source>作業終了時、音声ファイルを再生する</source>
        <translation>Play a sound file at the end</translation>
    </message>
    <message>
        <source>解凍終了後、音声ファイルを再生します。</source>
        <translation>Plays a sound file when the run is over.</translation>
    </message>
    <message>
        <source>再生する音声ファイルを指定します。</source>
        <translation>The sound file to play.</translation>
    </message>
    <message>
        <source>参照...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>通常のサイズ、96DPI</source>
        <translation>Normal size, 96 DPI</translation>
    </message>
    <message>
        <source>大きなサイズ、120DPI</source>
        <translation>Large size, 120 DPI</translation>
    </message>
    <message>
        <source>フォルダメニューに登録</source>
        <translation>Add to the folder menu</translation>
    </message>
    <message>
        <source>フォルダをクリックした時の右クリックメニューに「QuiverExtractorに追加」を追加</source>
        <translation>Adds "Add to QuiverExtractor" to the right-click menu of folders</translation>
    </message>
    <message>
        <source>デスクトップにショートカットを作成する</source>
        <translation>Make a shortcut on the desktop</translation>
    </message>
    <message>
        <source>デスクトップにQuiver Extractorのショートカットを作成します。</source>
        <translation>Makes a Quiver Extractor shortcut on the desktop.</translation>
    </message>
    <message>
        <source>「送る」に登録する</source>
        <translation>Add to "Send to"</translation>
    </message>
    <message>
        <source>「送る」にQuiver Extractorを登録します。</source>
        <translation>Adds Quiver Extractor to "Send to".</translation>
    </message>
    <message>
        <source>ソート方法</source>
        <translation>Sort by</translation>
    </message>
    <message>
        <source>画面のFontSize</source>
        <translation>Font size</translation>
    </message>
    <message>
        <source>右クリックメニュー</source>
        <translation>Right-click menu</translation>
    </message>
    <message>
        <source>メール通知</source>
        <translation>Mail notice</translation>
    </message>
    <message>
        <source>メール通知の設定を行います。</source>
        <translation>Sets the mail notice.</translation>
    </message>
    <message>
        <source>E-Mailによる通知機能を使う</source>
        <translation>Send a notice by e-mail</translation>
    </message>
    <message>
        <source>SMTP認証を使う</source>
        <translation>Use SMTP authentication</translation>
    </message>
    <message>
        <source>POP Before SMTPを使う</source>
        <translation>Use POP before SMTP</translation>
    </message>
    <message>
        <source>送信先アドレス</source>
        <translation>To</translation>
    </message>
    <message>
        <source>送信元アドレス</source>
        <translation>From</translation>
    </message>
    <message>
        <source>タイトル</source>
        <translation>Subject</translation>
    </message>
    <message>
        <source>パスワードはデスクトップのキーリングに保存されます。</source>
        <translation>The passwords are kept in the desktop's key ring.</translation>
    </message>
    <message>
        <source>キーリングが使えないため、パスワードは設定ファイル（QvrArc.ini）に符号化して保存されます。</source>
        <translation>No key ring answers: the passwords are kept encoded in the settings file (QvrArc.ini).</translation>
    </message>
    <message>
        <source>不正な値が入力されています。</source>
        <translation>A value is not valid.</translation>
    </message>
</context>
<context>
    <name>frmOptionArc</name>
    <message>
        <source>圧縮</source>
        <translation>Archiving</translation>
    </message>
    <message>
        <source>圧縮の設定を行います。</source>
        <translation>Sets the archiving.</translation>
    </message>
    <message>
        <source>ZIPの圧縮に7zip32.dllを使う</source>
        <translation>Use 7zip32.dll for ZIP</translation>
    </message>
    <message>
        <source>圧縮レベル[jm]</source>
        <translation>Compression level [jm]</translation>
    </message>
    <message>
        <source>Auto...Very Slow(lh0-7を総当たりで一番圧縮率が高いものにする)</source>
        <translation>Auto...Very Slow (tries lh0-7 and keeps the smallest)</translation>
    </message>
    <message>
        <source>Huffmanバッファサイズ[je]</source>
        <translation>Huffman buffer size [je]</translation>
    </message>
    <message>
        <source>デフォルト16384Bytes</source>
        <translation>Default 16384 bytes</translation>
    </message>
    <message>
        <source>圧縮率・速度設定[#]</source>
        <translation>Ratio and speed [#]</translation>
    </message>
    <message>
        <source>パスワードを付ける（AES-256）</source>
        <translation>Encrypt (AES-256)</translation>
    </message>
    <message>
        <source>パスワードは開始時に入力します（保存されません）</source>
        <translation>The password is asked at the start (it is never stored)</translation>
    </message>
    <message>
        <source>分割サイズ(MB)</source>
        <translation>Volume size (MB)</translation>
    </message>
    <message>
        <source>0...分割しない</source>
        <translation>0...no volumes</translation>
    </message>
    <message>
        <source>x.z01, x.z02 ... x.zip に分けて作成します</source>
        <translation>Writes x.z01, x.z02 ... x.zip</translation>
    </message>
    <message>
        <source>圧縮レベル[mx]</source>
        <translation>Compression level [mx]</translation>
    </message>
    <message>
        <source>圧縮方法[mm]</source>
        <translation>Method [mm]</translation>
    </message>
    <message>
        <source>Deflateエンコーダ用メモリ[mfb]</source>
        <translation>Deflate encoder memory [mfb]</translation>
    </message>
    <message>
        <source>Deflateエンコーダパス[mpass]</source>
        <translation>Deflate encoder passes [mpass]</translation>
    </message>
    <message>
        <source>圧縮方式[m]</source>
        <translation>Method [m]</translation>
    </message>
    <message>
        <source>圧縮率（LZX方式のみ）</source>
        <translation>Ratio (LZX only)</translation>
    </message>
    <message>
        <source>ソリッドモード使用[ms]</source>
        <translation>Solid mode [ms]</translation>
    </message>
    <message>
        <source>使用実行可能ファイルのフィルタ使用[mf]</source>
        <translation>Filter for executables [mf]</translation>
    </message>
    <message>
        <source>書庫ヘッダ圧縮[mhc]</source>
        <translation>Compress the archive header [mhc]</translation>
    </message>
    <message>
        <source>完全書庫ヘッダ圧縮[mhcf]</source>
        <translation>Compress the whole archive header [mhcf]</translation>
    </message>
    <message>
        <source>パスワードを付ける（ファイル名も暗号化[mhe]）</source>
        <translation>Encrypt (the names too [mhe])</translation>
    </message>
    <message>
        <source>分割サイズ(MB)[v]</source>
        <translation>Volume size (MB) [v]</translation>
    </message>
    <message>
        <source>x.7z.001, x.7z.002 ... に分けて作成します</source>
        <translation>Writes x.7z.001, x.7z.002 ...</translation>
    </message>
    <message>
        <source>圧縮レベル[N]</source>
        <translation>Compression level [N]</translation>
    </message>
    <message>
        <source>圧縮方式</source>
        <translation>Method</translation>
    </message>
    <message>
        <source>圧縮レベル</source>
        <translation>Compression level</translation>
    </message>
    <message>
        <source>WAV圧縮レベル[mw]</source>
        <translation>WAV compression level [mw]</translation>
    </message>
    <message>
        <source>圧縮バッファサイズ[--buffer-size]</source>
        <translation>Compression buffer size [--buffer-size]</translation>
    </message>
    <message>
        <source>PPMアルゴリズムで圧縮する</source>
        <translation>Compress with the PPM algorithm</translation>
    </message>
    <message>
        <source>圧縮レベル[m]</source>
        <translation>Compression level [m]</translation>
    </message>
</context>
<context>
    <name>frmOptionEx</name>
    <message>
        <source>参照...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>いつもの解凍先フォルダを指定します。</source>
        <translation>The usual destination folder.</translation>
    </message>
    <message>
        <source>「自分であらかじめ決めた場所」に解凍するときに、ここに指定したフォルダに解凍します。</source>
        <translation>Extracting to "A place chosen beforehand" goes into this folder.</translation>
    </message>
    <message>
        <source>解凍</source>
        <translation>Extraction</translation>
    </message>
    <message>
        <source>通常解凍・簡易解凍共通の設定を行います。</source>
        <translation>Settings of both normal and easy extraction.</translation>
    </message>
    <message>
        <source>起動時、書庫閲覧ウィンドウを表示する。</source>
        <translation>Show the archive viewer at start.</translation>
    </message>
    <message>
        <source>YZ2の解凍にYZ2DEC.EXEを使用する</source>
        <translation>Use YZ2DEC.EXE for YZ2</translation>
    </message>
    <message>
        <source>エラーをスキップする</source>
        <translation>Skip errors</translation>
    </message>
    <message>
        <source>書庫ファイルが見つからない場合に、処理をスキップします。</source>
        <translation>Skips an archive that cannot be found.</translation>
    </message>
    <message>
        <source>プリスキャン機能をオフにする</source>
        <translation>Turn the pre-scan off</translation>
    </message>
    <message>
        <source>書庫の事前チェック機能をオフにします。</source>
        <translation>Turns the check of the archives before extraction off.</translation>
    </message>
    <message>
        <source>ZIPの解凍に7-zip32.DLLを使用する</source>
        <translation>Use 7-zip32.DLL for ZIP</translation>
    </message>
    <message>
        <source>ZIP書庫の解凍、閲覧に7-zip32.dllを使用します。</source>
        <translation>Extracts and lists ZIP archives with 7-zip32.dll.</translation>
    </message>
    <message>
        <source>解凍先が単一の場合、フォルダを開く</source>
        <translation>Open the folder when there is one destination</translation>
    </message>
    <message>
        <source>解凍先が１つのフォルダの場合、解凍先フォルダを開きます。</source>
        <translation>Opens the destination folder when everything went to one folder.</translation>
    </message>
    <message>
        <source>通常解凍</source>
        <translation>Normal extraction</translation>
    </message>
    <message>
        <source>通常解凍の設定を行います。</source>
        <translation>Settings of normal extraction.</translation>
    </message>
    <message>
        <source>「いつもの解凍先」オプションで解凍時にここに指定したフォルダに解凍します。</source>
        <translation>Extracting to the "Usual destination" goes into this folder.</translation>
    </message>
    <message>
        <source>書庫内のディレクトリ無視</source>
        <translation>Ignore the folders in the archives</translation>
    </message>
    <message>
        <source>書庫内のディレクトリを無視して解凍します。</source>
        <translation>Extracts without the folders in the archives.</translation>
    </message>
    <message>
        <source>上書き確認を行う</source>
        <translation>Ask before replacing</translation>
    </message>
    <message>
        <source>解凍後エラーがなければ書庫を削除する</source>
        <translation>Delete the archive after a clean extraction</translation>
    </message>
    <message>
        <source>いつもの解凍先</source>
        <translation>Usual destination</translation>
    </message>
    <message>
        <source>UTF-8でないファイル名をこの文字コードで読みます。空欄は自動（CP932）です。</source>
        <translation>File names that are not UTF-8 are read in this encoding. Empty: automatic (CP932).</translation>
    </message>
    <message>
        <source>ファイル名の文字コード</source>
        <translation>File name encoding</translation>
    </message>
    <message>
        <source>簡易解凍</source>
        <translation>Easy extraction</translation>
    </message>
    <message>
        <source>簡易解凍モードの設定を行います。</source>
        <translation>Settings of easy extraction mode.</translation>
    </message>
    <message>
        <source>デスクトップ</source>
        <translation>Desktop</translation>
    </message>
    <message>
        <source>デスクトップに解凍します。</source>
        <translation>Extracts to the desktop.</translation>
    </message>
    <message>
        <source>ファイルの元あった場所</source>
        <translation>The file's folder</translation>
    </message>
    <message>
        <source>書庫ファイルのある場所に解凍します。</source>
        <translation>Extracts into the archive's folder.</translation>
    </message>
    <message>
        <source>自分であらかじめ決めた場所</source>
        <translation>A place chosen beforehand</translation>
    </message>
    <message>
        <source>自分であらかじめ決めたところに解凍します。</source>
        <translation>Extracts into a place chosen beforehand.</translation>
    </message>
    <message>
        <source>デスクトップにショートカットを作成する</source>
        <translation>Make a shortcut on the desktop</translation>
    </message>
    <message>
        <source>デスクトップにQuiver Extractorのショートカットを作成し、簡易解凍モードを有効にします。</source>
        <translation>Makes a Quiver Extractor shortcut on the desktop for easy extraction mode.</translation>
    </message>
    <message>
        <source>解凍先</source>
        <translation>Destination</translation>
    </message>
    <message>
        <source>書庫閲覧</source>
        <translation>Archive viewer</translation>
    </message>
    <message>
        <source>書庫閲覧ウィンドウ上での解凍設定を行います。</source>
        <translation>Settings of extraction from the archive viewer.</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>開く動作のみ</source>
        <translation>Open only</translation>
    </message>
    <message>
        <source>場所を指定</source>
        <translation>Choose the place</translation>
    </message>
    <message>
        <source>いつものところへ</source>
        <translation>To the usual place</translation>
    </message>
    <message>
        <source>テンプレート指定</source>
        <translation>Template</translation>
    </message>
    <message>
        <source>書庫閲覧からの解凍時、ファイル名でフォルダを作成する</source>
        <translation>Make a folder named after the archive when extracting from the viewer</translation>
    </message>
    <message>
        <source>場所</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>ダブルクリック時動作</source>
        <translation>Double click</translation>
    </message>
    <message>
        <source>アクション</source>
        <translation>Action</translation>
    </message>
    <message>
        <source>自動判別</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>作成する</source>
        <translation>Make one</translation>
    </message>
    <message>
        <source>作成しない</source>
        <translation>Make none</translation>
    </message>
    <message>
        <source>ファイル名でのフォルダの作成</source>
        <translation>A folder named after the file</translation>
    </message>
    <message>
        <source>このオプション有効時、解凍後の書庫(圧縮ファイル)はごみ箱へ移動されます。<byte value="xd"/>
ごみ箱のない場所にある書庫は、確認のうえ完全に削除されます。</source>
        <translation>With this option, the archives that extracted go to the Trash.<byte value="xd"/>
An archive where no Trash exists is deleted for good, after a question.</translation>
    </message>
</context>
<context>
    <name>frmProgress</name>
    <message>
        <source> - 解凍中</source>
        <translation> - extracting</translation>
    </message>
</context>
<context>
    <name>frmReport</name>
    <message>
        <source>除外</source>
        <translation>Left out</translation>
    </message>
    <message>
        <source> - 詳細</source>
        <translation> - details</translation>
    </message>
    <message>
        <source>書庫</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>結果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>理由</source>
        <translation>Reason</translation>
    </message>
    <message>
        <source>検査済み</source>
        <translation>Tested</translation>
    </message>
    <message>
        <source>書き出し</source>
        <translation>Written</translation>
    </message>
    <message>
        <source>コピー(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>frmTreeView</name>
    <message>
        <source>フォルダ作成</source>
        <translation>New folder</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
