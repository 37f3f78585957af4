<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en_US">
<context>
    <name>VUserAlert</name>
    <message id="BUTTON_OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="BUTTON_CANCEL">
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message id="BUTTON_SNOOZE">
        <source>Snooze</source>
        <translation>後で通知</translation>
    </message>
    <message id="BUTTON_YES">
        <source>Yes</source>
        <translation>はい</translation>
    </message>
    <message id="BUTTON_NO">
        <source>No</source>
        <translation>いいえ</translation>
    </message>
    <message id="BUTTON_BACK">
        <source>Back</source>
        <translation>戻る</translation>
    </message>
    <message id="BUTTON_NEXT">
        <source>Next</source>
        <translation>次へ</translation>
    </message>
    <message id="BUTTON_FINISH">
        <source>Finish</source>
        <translation>完了</translation>
    </message>
    <message id="BUTTON_CONTINUE">
        <source>Continue</source>
        <translation>続行</translation>
    </message>
    <message id="ERROR_MISSINGPARAMS">
        <source>Missing parameters</source>
        <translation>パラメーターが不足しています</translation>
    </message>
    <message id="ERROR_USAGE">
        <source>How to use VUserAlert</source>
        <translation>VUserAlert の使い方</translation>
    </message>
    <message id="ERROR_UNKNOWNPARAMETER">
        <source>Unknown parameter.</source>
        <translation>不明なパラメーターです。</translation>
    </message>
    <message id="ERROR_INVALIDPARAMETER">
        <source>Invalid parameter</source>
        <translation>無効なパラメーター</translation>
    </message>
    <message id="ACCESSIBLE_LOGO">
        <source>Company logo</source>
        <translation>会社のロゴ</translation>
    </message>
    <message id="ACCESSIBLE_PROGRESS">
        <source>Work in progress</source>
        <translation>処理中</translation>
    </message>
    <message id="ACCESSIBLE_MESSAGE">
        <source>Message</source>
        <translation>メッセージ</translation>
    </message>
    <message id="ACCESSIBLE_SNOOZE">
        <source>Remind me in</source>
        <translation>次の通知までの時間</translation>
    </message>
    <message id="ACCESSIBLE_PAGE">
        <source>Page</source>
        <translation>ページ</translation>
    </message>
    <message id="ACCESSIBLE_SHOWN_AT">
        <source>Shown at</source>
        <translation>表示日時</translation>
    </message>
    <message id="CBO_SNOOZEHOURS0">
        <source>Do not snooze</source>
        <translation>延期しない</translation>
    </message>
    <message id="CBO_SNOOZEHOURS1">
        <source>1 hour</source>
        <translation>1 時間</translation>
    </message>
    <message id="CBO_SNOOZEHOURS2">
        <source>2 hours</source>
        <translation>2 時間</translation>
    </message>
    <message id="CBO_SNOOZEHOURS4">
        <source>4 hours</source>
        <translation>4 時間</translation>
    </message>
    <message id="CBO_SNOOZEHOURS6">
        <source>6 hours</source>
        <translation>6 時間</translation>
    </message>
    <message id="CBO_SNOOZEHOURS8">
        <source>8 hours</source>
        <translation>8 時間</translation>
    </message>
    <message id="TOKEN_FS_INSTALLING">
        <source>Installing</source>
        <translation>インストール中</translation>
    </message>
    <message id="TOKEN_FS_DOWNLOADING">
        <source>Downloading</source>
        <translation>ダウンロード中</translation>
    </message>
    <message id="TOKEN_FS_COMPLETED">
        <source>Completed</source>
        <translation>完了しました</translation>
    </message>
    <message id="TOKEN_FS_FINISHED">
        <source>Finished</source>
        <translation>終了しました</translation>
    </message>
    <message id="TOKEN_MI_READYINSTALL">
        <source>The following software is ready to be installed:</source>
        <translation>次のソフトウェアをインストールする準備ができました:</translation>
    </message>
    <message id="TOKEN_MI_INSTALLINGUPDATES">
        <source>Installing updates. Please keep your computer switched on.</source>
        <translation>アップデートをインストールしています。コンピューターの電源を切らないでください。</translation>
    </message>
    <message id="TOKEN_MI_UNINSTALLING">
        <source>Uninstalling</source>
        <translation>アンインストール中</translation>
    </message>
    <message id="TOKEN_MI_EXECUTING">
        <source>Running</source>
        <translation>実行中</translation>
    </message>
    <message id="TOKEN_MI_DLINSTALLING">
        <source>Downloading and installing</source>
        <translation>ダウンロードしてインストールしています</translation>
    </message>
    <message id="TOKEN_MI_DLFAILED">
        <source>The download failed. It will be tried again later.</source>
        <translation>ダウンロードに失敗しました。後でもう一度試行されます。</translation>
    </message>
    <message id="TOKEN_MI_INSTALLCOMPLETE">
        <source>Installation complete.</source>
        <translation>インストールが完了しました。</translation>
    </message>
    <message id="TOKEN_MI_SNOOZEDURATION">
        <source>Choose when to be reminded again:</source>
        <translation>次に通知するタイミングを選択してください:</translation>
    </message>
    <message id="TOKEN_MI_PLEASEINSTALL">
        <source>Please save your work and close your applications before the installation starts.</source>
        <translation>インストールを開始する前に、作業内容を保存してアプリケーションを終了してください。</translation>
    </message>
    <message id="TOKEN_MI_UPDATINGAPPS">
        <source>Updating applications</source>
        <translation>アプリケーションを更新しています</translation>
    </message>
    <message id="TOKEN_TITLE_VDEPLOY_FS">
        <source>Software Deployment</source>
        <translation>ソフトウェアの配布</translation>
    </message>
    <message id="TOKEN_NAME_PATCHINGREBOOT">
        <source>Restart Required</source>
        <translation>再起動が必要です</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHINGREBOOT">
        <source>Your computer needs to restart</source>
        <translation>コンピューターの再起動が必要です</translation>
    </message>
    <message id="TOKEN_MESSAGE_PATCHINGREBOOT">
        <source>Updates have been installed. Restart your computer to finish installing them.</source>
        <translation>アップデートがインストールされました。インストールを完了するには、コンピューターを再起動してください。</translation>
    </message>
    <message id="TOKEN_NAME_PATCHINGREBOOT2">
        <source>Restart Pending</source>
        <translation>再起動の保留中</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHINGREBOOT2">
        <source>Restart to complete the updates</source>
        <translation>再起動してアップデートを完了してください</translation>
    </message>
    <message id="TOKEN_MESSAGE_PATCHINGREBOOT2">
        <source>Your computer will restart automatically when the time runs out. Save your work now.</source>
        <translation>時間になると、コンピューターは自動的に再起動します。今すぐ作業内容を保存してください。</translation>
    </message>
    <message id="TOKEN_NAME_DESKTOPALERT">
        <source>VORA Desktop Alert</source>
        <translation>VORA デスクトップ通知</translation>
    </message>
    <message id="TOKEN_TITLE_DESKTOPALERT">
        <source>A message from your IT department</source>
        <translation>IT 部門からのお知らせ</translation>
    </message>
    <message id="TOKEN_NAME_PATCHING">
        <source>Patch Management</source>
        <translation>パッチ管理</translation>
    </message>
    <message id="TOKEN_TITLE_PATCHING">
        <source>Installing security updates</source>
        <translation>セキュリティアップデートをインストールしています</translation>
    </message>
    <message id="TOKEN_TITLE_APPCONTROL">
        <source>Application Blocked</source>
        <translation>アプリケーションがブロックされました</translation>
    </message>
    <message id="TOKEN_MESSAGE_APPCONTROL">
        <source>Your administrator does not allow this application to run on this computer.</source>
        <translation>管理者により、このコンピューターでのこのアプリケーションの実行は許可されていません。</translation>
    </message>
    <message id="ACCESSIBLE_SHOWN_AT_VALUE">
        <source>Shown at %1</source>
        <translation>表示時刻 %1</translation>
    </message>
    <message id="ACCESSIBLE_PAGE_OF">
        <source>Page %1 of %2</source>
        <translation>%2 ページ中 %1 ページ</translation>
    </message>
    <message id="ACCESSIBLE_ANSWERS_AT">
        <source>If you do nothing, this dialog answers %1 at %2.</source>
        <translation>何もしなければ、このダイアログは %2 に「%1」と応答します。</translation>
    </message>
    <message id="ACCESSIBLE_CLOSES_AT">
        <source>If you do nothing, this dialog closes at %1.</source>
        <translation>何もしなければ、このダイアログは %1 に閉じます。</translation>
    </message>
    <message id="ACCESSIBLE_NEXT_PAGE_AT">
        <source>If you do nothing, this dialog goes on to the next page at %1.</source>
        <translation>何もしなければ、このダイアログは %1 に次のページへ進みます。</translation>
    </message>
</context>
</TS>
