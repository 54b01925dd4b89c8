.class public Lcom/velmora/tarvell/MmsReceiver;
.super Landroid/content/BroadcastReceiver;
.source "MmsReceiver.smali"

# Android grants the messaging role only to an app that receives MMS
# notifications. This app does not download MMS: one that arrives while it
# holds the role (during a restore of messages) is not stored.

.method public constructor <init>()V
    .locals 0
    invoke-direct {p0}, Landroid/content/BroadcastReceiver;-><init>()V
    return-void
.end method

.method public onReceive(Landroid/content/Context;Landroid/content/Intent;)V
    .locals 2
    const-string v0, "Tarvell"
    const-string v1, "an MMS arrived while Tarvell was the messaging app; it was not downloaded"
    invoke-static {v0, v1}, Landroid/util/Log;->w(Ljava/lang/String;Ljava/lang/String;)I
    return-void
.end method
