.class public Lcom/velmora/tarvell/activity/ServiceActivity;
.super Landroid/app/Activity;
.source "ServiceActivity.smali"

# The activity the computer starts: it starts the companion service, asks
# for the permissions the commands need and closes. Started again by the
# service with an extra, it asks the user for the messaging role or opens
# the screen where the role goes back.

.field public static final EXTRA_ROLE:Ljava/lang/String; = "tarvell.role"
.field public static final EXTRA_PACKAGE:Ljava/lang/String; = "tarvell.package"

.method public constructor <init>()V
    .locals 0
    invoke-direct {p0}, Landroid/app/Activity;-><init>()V
    return-void
.end method

# The runtime permissions of the commands; the phone ignores the ones its
# release does not have.
.method static permissions()[Ljava/lang/String;
    .locals 3
    const/16 v0, 0xc
    new-array v0, v0, [Ljava/lang/String;
    const/16 v1, 0x0
    const-string v2, "android.permission.READ_CONTACTS"
    aput-object v2, v0, v1
    const/16 v1, 0x1
    const-string v2, "android.permission.WRITE_CONTACTS"
    aput-object v2, v0, v1
    const/16 v1, 0x2
    const-string v2, "android.permission.READ_CALL_LOG"
    aput-object v2, v0, v1
    const/16 v1, 0x3
    const-string v2, "android.permission.WRITE_CALL_LOG"
    aput-object v2, v0, v1
    const/16 v1, 0x4
    const-string v2, "android.permission.READ_SMS"
    aput-object v2, v0, v1
    const/16 v1, 0x5
    const-string v2, "android.permission.RECEIVE_SMS"
    aput-object v2, v0, v1
    const/16 v1, 0x6
    const-string v2, "android.permission.READ_EXTERNAL_STORAGE"
    aput-object v2, v0, v1
    const/16 v1, 0x7
    const-string v2, "android.permission.WRITE_EXTERNAL_STORAGE"
    aput-object v2, v0, v1
    const/16 v1, 0x8
    const-string v2, "android.permission.READ_MEDIA_IMAGES"
    aput-object v2, v0, v1
    const/16 v1, 0x9
    const-string v2, "android.permission.READ_MEDIA_VIDEO"
    aput-object v2, v0, v1
    const/16 v1, 0xa
    const-string v2, "android.permission.READ_MEDIA_AUDIO"
    aput-object v2, v0, v1
    const/16 v1, 0xb
    const-string v2, "android.permission.POST_NOTIFICATIONS"
    aput-object v2, v0, v1
    return-object v0
.end method

.method protected onCreate(Landroid/os/Bundle;)V
    .locals 3
    invoke-super {p0, p1}, Landroid/app/Activity;->onCreate(Landroid/os/Bundle;)V
    invoke-virtual {p0}, Landroid/app/Activity;->getIntent()Landroid/content/Intent;
    move-result-object v0
    if-eqz v0, :companion
    const-string v1, "tarvell.consent"
    invoke-virtual {v0, v1}, Landroid/content/Intent;->getParcelableExtra(Ljava/lang/String;)Landroid/os/Parcelable;
    move-result-object v1
    if-eqz v1, :no_consent
    check-cast v1, Landroid/app/PendingIntent;
    invoke-direct {p0, v1}, Lcom/velmora/tarvell/activity/ServiceActivity;->consent(Landroid/app/PendingIntent;)V
    return-void
    :no_consent
    const-string v1, "tarvell.role"
    invoke-virtual {v0, v1}, Landroid/content/Intent;->getStringExtra(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v1
    if-eqz v1, :companion
    const-string v2, "tarvell.package"
    invoke-virtual {v0, v2}, Landroid/content/Intent;->getStringExtra(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v2
    invoke-direct {p0, v1, v2}, Lcom/velmora/tarvell/activity/ServiceActivity;->role(Ljava/lang/String;Ljava/lang/String;)V
    return-void
    :companion
    new-instance v0, Landroid/content/Intent;
    const-class v1, Lcom/velmora/tarvell/CompanionService;
    invoke-direct {v0, p0, v1}, Landroid/content/Intent;-><init>(Landroid/content/Context;Ljava/lang/Class;)V
    sget v1, Landroid/os/Build$VERSION;->SDK_INT:I
    const/16 v2, 0x1a
    if-lt v1, v2, :plain_start
    invoke-virtual {p0, v0}, Landroid/content/Context;->startForegroundService(Landroid/content/Intent;)Landroid/content/ComponentName;
    goto :started
    :plain_start
    invoke-virtual {p0, v0}, Landroid/content/Context;->startService(Landroid/content/Intent;)Landroid/content/ComponentName;
    :started
    const/16 v2, 0x17
    if-ge v1, v2, :ask
    invoke-virtual {p0}, Landroid/app/Activity;->finish()V
    return-void
    :ask
    invoke-static {}, Lcom/velmora/tarvell/activity/ServiceActivity;->permissions()[Ljava/lang/String;
    move-result-object v0
    const/4 v1, 0x1
    invoke-virtual {p0, v0, v1}, Landroid/app/Activity;->requestPermissions([Ljava/lang/String;I)V
    return-void
.end method

.method public onRequestPermissionsResult(I[Ljava/lang/String;[I)V
    .locals 0
    invoke-virtual {p0}, Landroid/app/Activity;->finish()V
    return-void
.end method

.method protected onActivityResult(IILandroid/content/Intent;)V
    .locals 0
    invoke-virtual {p0}, Landroid/app/Activity;->finish()V
    return-void
.end method

# Asks for the messaging role ("ask") or lets the user hand it back
# ("give-back") to pkg, the app that held it.
.method private role(Ljava/lang/String;Ljava/lang/String;)V
    .locals 4
    sget v0, Landroid/os/Build$VERSION;->SDK_INT:I
    const-string v1, "ask"
    invoke-virtual {v1, p1}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v1
    if-eqz v1, :give_back
    const/16 v1, 0x1d
    if-lt v0, v1, :change_default_self
    const-string v1, "role"
    invoke-virtual {p0, v1}, Landroid/content/Context;->getSystemService(Ljava/lang/String;)Ljava/lang/Object;
    move-result-object v1
    check-cast v1, Landroid/app/role/RoleManager;
    if-eqz v1, :finish
    const-string v2, "android.app.role.SMS"
    invoke-virtual {v1, v2}, Landroid/app/role/RoleManager;->createRequestRoleIntent(Ljava/lang/String;)Landroid/content/Intent;
    move-result-object v1
    const/4 v2, 0x2
    invoke-virtual {p0, v1, v2}, Landroid/app/Activity;->startActivityForResult(Landroid/content/Intent;I)V
    return-void
    :change_default_self
    invoke-virtual {p0}, Landroid/content/Context;->getPackageName()Ljava/lang/String;
    move-result-object v1
    invoke-direct {p0, v1}, Lcom/velmora/tarvell/activity/ServiceActivity;->changeDefault(Ljava/lang/String;)V
    goto :finish
    :give_back
    const/16 v1, 0x1d
    if-ge v0, v1, :settings
    if-eqz p2, :settings
    invoke-virtual {p2}, Ljava/lang/String;->length()I
    move-result v1
    if-eqz v1, :settings
    invoke-direct {p0, p2}, Lcom/velmora/tarvell/activity/ServiceActivity;->changeDefault(Ljava/lang/String;)V
    goto :finish
    :settings
    # From Android 10 only the user can give the role to another app.
    new-instance v1, Landroid/content/Intent;
    const-string v2, "android.settings.MANAGE_DEFAULT_APPS_SETTINGS"
    invoke-direct {v1, v2}, Landroid/content/Intent;-><init>(Ljava/lang/String;)V
    :try_start
    invoke-virtual {p0, v1}, Landroid/app/Activity;->startActivity(Landroid/content/Intent;)V
    :try_end
    .catch Landroid/content/ActivityNotFoundException; {:try_start .. :try_end} :finish
    :finish
    invoke-virtual {p0}, Landroid/app/Activity;->finish()V
    return-void
.end method

# Android 4.4 to 9: the phone asks the user to make pkg the default
# messaging app.
.method private changeDefault(Ljava/lang/String;)V
    .locals 3
    new-instance v0, Landroid/content/Intent;
    const-string v1, "android.provider.Telephony.ACTION_CHANGE_DEFAULT"
    invoke-direct {v0, v1}, Landroid/content/Intent;-><init>(Ljava/lang/String;)V
    const-string v1, "package"
    invoke-virtual {v0, v1, p1}, Landroid/content/Intent;->putExtra(Ljava/lang/String;Ljava/lang/String;)Landroid/content/Intent;
    :try_start
    invoke-virtual {p0, v0}, Landroid/app/Activity;->startActivity(Landroid/content/Intent;)V
    :try_end
    .catch Landroid/content/ActivityNotFoundException; {:try_start .. :try_end} :done
    :done
    return-void
.end method

# Started by the service (no activity of its own on screen).
.method public static roleRequest(Landroid/content/Context;Ljava/lang/String;Ljava/lang/String;)V
    .locals 3
    new-instance v0, Landroid/content/Intent;
    const-class v1, Lcom/velmora/tarvell/activity/ServiceActivity;
    invoke-direct {v0, p0, v1}, Landroid/content/Intent;-><init>(Landroid/content/Context;Ljava/lang/Class;)V
    const-string v1, "tarvell.role"
    invoke-virtual {v0, v1, p1}, Landroid/content/Intent;->putExtra(Ljava/lang/String;Ljava/lang/String;)Landroid/content/Intent;
    const-string v1, "tarvell.package"
    invoke-virtual {v0, v1, p2}, Landroid/content/Intent;->putExtra(Ljava/lang/String;Ljava/lang/String;)Landroid/content/Intent;
    # FLAG_ACTIVITY_NEW_TASK
    const/high16 v1, 0x10000000
    invoke-virtual {v0, v1}, Landroid/content/Intent;->addFlags(I)Landroid/content/Intent;
    invoke-virtual {p0, v0}, Landroid/content/Context;->startActivity(Landroid/content/Intent;)V
    return-void
.end method

# Shows the phone's consent dialog of a pending request (deleting other
# apps' media); the activity closes when the owner has answered.
.method private consent(Landroid/app/PendingIntent;)V
    .locals 7
    :try_start
    invoke-virtual {p1}, Landroid/app/PendingIntent;->getIntentSender()Landroid/content/IntentSender;
    move-result-object v1
    move-object v0, p0
    const/4 v2, 0x3
    const/4 v3, 0x0
    const/4 v4, 0x0
    const/4 v5, 0x0
    const/4 v6, 0x0
    invoke-virtual/range {v0 .. v6}, Landroid/app/Activity;->startIntentSenderForResult(Landroid/content/IntentSender;ILandroid/content/Intent;III)V
    :try_end
    .catch Landroid/content/IntentSender$SendIntentException; {:try_start .. :try_end} :failed
    .catch Ljava/lang/RuntimeException; {:try_start .. :try_end} :failed
    return-void
    :failed
    invoke-virtual {p0}, Landroid/app/Activity;->finish()V
    return-void
.end method
