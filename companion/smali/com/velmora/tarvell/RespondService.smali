.class public Lcom/velmora/tarvell/RespondService;
.super Landroid/app/Service;
.source "RespondService.smali"

# The quick reply to a call that Android requires of a messaging app. This
# app sends no messages: the request ends without one.

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

.method public onStartCommand(Landroid/content/Intent;II)I
    .locals 1
    invoke-virtual {p0, p3}, Landroid/app/Service;->stopSelf(I)V
    const/4 v0, 0x2
    return v0
.end method
