.class public Lcom/velmora/tarvell/activity/ComposeActivity;
.super Landroid/app/Activity;
.source "ComposeActivity.smali"

# The "send a message" screen Android requires of a messaging app. This app
# composes nothing: it says so and closes; the owner writes the message once
# the role is back with the usual app.

.method public constructor <init>()V
    .locals 0
    invoke-direct {p0}, Landroid/app/Activity;-><init>()V
    return-void
.end method

.method protected onCreate(Landroid/os/Bundle;)V
    .locals 3
    invoke-super {p0, p1}, Landroid/app/Activity;->onCreate(Landroid/os/Bundle;)V
    const-string v0, "Tarvell is restoring messages. Write this message when the restore is over."
    const/4 v1, 0x1
    invoke-static {p0, v0, v1}, Landroid/widget/Toast;->makeText(Landroid/content/Context;Ljava/lang/CharSequence;I)Landroid/widget/Toast;
    move-result-object v0
    invoke-virtual {v0}, Landroid/widget/Toast;->show()V
    invoke-virtual {p0}, Landroid/app/Activity;->finish()V
    return-void
.end method
