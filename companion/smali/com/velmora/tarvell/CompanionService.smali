.class public Lcom/velmora/tarvell/CompanionService;
.super Landroid/app/Service;
.source "CompanionService.smali"

# The foreground service that owns the command listener. Its notification
# stays while it runs, so the owner always sees that the computer is
# connected to the phone's data.

.field public static final PORT:I = 0x4eb7
.field private static final CHANNEL:Ljava/lang/String; = "tarvell"

.field private server:Lcom/velmora/tarvell/Server;

.method public constructor <init>()V
    .locals 0
    invoke-direct {p0}, Landroid/app/Service;-><init>()V
    return-void
.end method

.method public onBind(Landroid/content/Intent;)Landroid/os/IBinder;
    .locals 1
    const/4 v0, 0x0
    return-object v0
.end method

.method public onCreate()V
    .locals 3
    invoke-super {p0}, Landroid/app/Service;->onCreate()V
    invoke-direct {p0}, Lcom/velmora/tarvell/CompanionService;->goForeground()V
    # The harness on a computer passes its own port; a phone has no such
    # property and uses the fixed one.
    const-string v0, "tarvell.companion.port"
    const/16 v1, 0x4eb7
    invoke-static {v0, v1}, Ljava/lang/Integer;->getInteger(Ljava/lang/String;I)Ljava/lang/Integer;
    move-result-object v0
    invoke-virtual {v0}, Ljava/lang/Integer;->intValue()I
    move-result v0
    new-instance v1, Lcom/velmora/tarvell/Server;
    invoke-direct {v1, p0, v0}, Lcom/velmora/tarvell/Server;-><init>(Landroid/content/Context;I)V
    iput-object v1, p0, Lcom/velmora/tarvell/CompanionService;->server:Lcom/velmora/tarvell/Server;
    invoke-virtual {v1}, Ljava/lang/Thread;->start()V
    return-void
.end method

.method public onStartCommand(Landroid/content/Intent;II)I
    .locals 1
    # START_NOT_STICKY: after the system stops it, the computer starts the
    # service again when it prepares the phone.
    const/4 v0, 0x2
    return v0
.end method

.method public onDestroy()V
    .locals 1
    iget-object v0, p0, Lcom/velmora/tarvell/CompanionService;->server:Lcom/velmora/tarvell/Server;
    if-eqz v0, :stopped
    invoke-virtual {v0}, Lcom/velmora/tarvell/Server;->close()V
    :stopped
    invoke-super {p0}, Landroid/app/Service;->onDestroy()V
    return-void
.end method

.method public boundPort()I
    .locals 1
    iget-object v0, p0, Lcom/velmora/tarvell/CompanionService;->server:Lcom/velmora/tarvell/Server;
    if-nez v0, :some
    const/4 v0, 0x0
    return v0
    :some
    invoke-virtual {v0}, Lcom/velmora/tarvell/Server;->boundPort()I
    move-result v0
    return v0
.end method

.method private goForeground()V
    .locals 6
    sget v0, Landroid/os/Build$VERSION;->SDK_INT:I
    const/16 v1, 0x1a
    if-lt v0, v1, :old_builder
    const-string v1, "notification"
    invoke-virtual {p0, v1}, Landroid/content/Context;->getSystemService(Ljava/lang/String;)Ljava/lang/Object;
    move-result-object v1
    check-cast v1, Landroid/app/NotificationManager;
    new-instance v2, Landroid/app/NotificationChannel;
    const-string v3, "tarvell"
    const-string v4, "Connection to the computer"
    const/4 v5, 0x2
    invoke-direct {v2, v3, v4, v5}, Landroid/app/NotificationChannel;-><init>(Ljava/lang/String;Ljava/lang/CharSequence;I)V
    invoke-virtual {v1, v2}, Landroid/app/NotificationManager;->createNotificationChannel(Landroid/app/NotificationChannel;)V
    new-instance v1, Landroid/app/Notification$Builder;
    invoke-direct {v1, p0, v3}, Landroid/app/Notification$Builder;-><init>(Landroid/content/Context;Ljava/lang/String;)V
    goto :fill
    :old_builder
    new-instance v1, Landroid/app/Notification$Builder;
    invoke-direct {v1, p0}, Landroid/app/Notification$Builder;-><init>(Landroid/content/Context;)V
    :fill
    const-string v2, "Tarvell is connected"
    invoke-virtual {v1, v2}, Landroid/app/Notification$Builder;->setContentTitle(Ljava/lang/CharSequence;)Landroid/app/Notification$Builder;
    const-string v2, "Your computer can read and write this phone's contacts, messages, call log and media until you unplug it."
    invoke-virtual {v1, v2}, Landroid/app/Notification$Builder;->setContentText(Ljava/lang/CharSequence;)Landroid/app/Notification$Builder;
    # android.R.drawable.stat_notify_sync
    const v2, 0x0108007c
    invoke-virtual {v1, v2}, Landroid/app/Notification$Builder;->setSmallIcon(I)Landroid/app/Notification$Builder;
    const/4 v2, 0x1
    invoke-virtual {v1, v2}, Landroid/app/Notification$Builder;->setOngoing(Z)Landroid/app/Notification$Builder;
    invoke-virtual {v1}, Landroid/app/Notification$Builder;->build()Landroid/app/Notification;
    move-result-object v1
    const/16 v2, 0x1d
    if-lt v0, v2, :untyped
    # FOREGROUND_SERVICE_TYPE_DATA_SYNC
    const/4 v2, 0x1
    const/4 v3, 0x1
    invoke-virtual {p0, v2, v1, v3}, Landroid/app/Service;->startForeground(ILandroid/app/Notification;I)V
    return-void
    :untyped
    const/4 v2, 0x1
    invoke-virtual {p0, v2, v1}, Landroid/app/Service;->startForeground(ILandroid/app/Notification;)V
    return-void
.end method
