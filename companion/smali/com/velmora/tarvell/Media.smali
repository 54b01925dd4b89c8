.class public final Lcom/velmora/tarvell/Media;
.super Ljava/lang/Object;
.source "Media.smali"

# Photos, music and videos.

.field private final context:Landroid/content/Context;

.method public constructor <init>(Landroid/content/Context;)V
    .locals 0
    invoke-direct {p0}, Ljava/lang/Object;-><init>()V
    iput-object p1, p0, Lcom/velmora/tarvell/Media;->context:Landroid/content/Context;
    return-void
.end method

# Whether a command name is one of the file write commands, which carry a
# payload.
.method public static isWrite(Ljava/lang/String;)Z
    .locals 1
    const-string v0, "write_photofile"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-nez v0, :yes
    const-string v0, "write_musicfile"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-nez v0, :yes
    const-string v0, "write_videofile"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    :yes
    return v0
.end method

# The answer to a media command, null for a name that is none.
.method public handle(Ljava/lang/String;Ljava/lang/String;[B)[B
    .locals 1
    const/4 v0, 0x0
    return-object v0
.end method
