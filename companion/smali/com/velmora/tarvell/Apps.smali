.class public final Lcom/velmora/tarvell/Apps;
.super Ljava/lang/Object;
.source "Apps.smali"

# The apps the owner installed (not the system's), one tagged record each.
# A record must fit the computer's 1024-byte answer: the permission list is
# cut at a whole permission within 127 bytes, and a record still too long
# goes without its activity and permissions.

.field private final context:Landroid/content/Context;
.field private list:Ljava/util/ArrayList;

.method public constructor <init>(Landroid/content/Context;)V
    .locals 0
    invoke-direct {p0}, Ljava/lang/Object;-><init>()V
    iput-object p1, p0, Lcom/velmora/tarvell/Apps;->context:Landroid/content/Context;
    return-void
.end method

# Rebuilds the list; answers its length.
.method public flush()I
    .locals 6
    iget-object v0, p0, Lcom/velmora/tarvell/Apps;->context:Landroid/content/Context;
    invoke-virtual {v0}, Landroid/content/Context;->getPackageManager()Landroid/content/pm/PackageManager;
    move-result-object v0
    # GET_PERMISSIONS
    const/16 v1, 0x1000
    invoke-virtual {v0, v1}, Landroid/content/pm/PackageManager;->getInstalledPackages(I)Ljava/util/List;
    move-result-object v0
    new-instance v1, Ljava/util/ArrayList;
    invoke-direct {v1}, Ljava/util/ArrayList;-><init>()V
    invoke-interface {v0}, Ljava/util/List;->size()I
    move-result v2
    const/4 v3, 0x0
    :loop
    if-ge v3, v2, :done
    invoke-interface {v0, v3}, Ljava/util/List;->get(I)Ljava/lang/Object;
    move-result-object v4
    check-cast v4, Landroid/content/pm/PackageInfo;
    iget-object v5, v4, Landroid/content/pm/PackageInfo;->applicationInfo:Landroid/content/pm/ApplicationInfo;
    if-eqz v5, :next
    iget v5, v5, Landroid/content/pm/ApplicationInfo;->flags:I
    # FLAG_SYSTEM
    and-int/lit8 v5, v5, 0x1
    if-nez v5, :next
    invoke-virtual {v1, v4}, Ljava/util/ArrayList;->add(Ljava/lang/Object;)Z
    :next
    add-int/lit8 v3, v3, 0x1
    goto :loop
    :done
    iput-object v1, p0, Lcom/velmora/tarvell/Apps;->list:Ljava/util/ArrayList;
    invoke-virtual {v1}, Ljava/util/ArrayList;->size()I
    move-result v0
    return v0
.end method

.method public count()I
    .locals 1
    iget-object v0, p0, Lcom/velmora/tarvell/Apps;->list:Ljava/util/ArrayList;
    if-nez v0, :built
    invoke-virtual {p0}, Lcom/velmora/tarvell/Apps;->flush()I
    move-result v0
    return v0
    :built
    invoke-virtual {v0}, Ljava/util/ArrayList;->size()I
    move-result v0
    return v0
.end method

# The record of the app at position, "" when there is none.
.method public info(I)Ljava/lang/String;
    .locals 4
    invoke-virtual {p0}, Lcom/velmora/tarvell/Apps;->count()I
    move-result v0
    if-ltz p1, :none
    if-ge p1, v0, :none
    iget-object v0, p0, Lcom/velmora/tarvell/Apps;->list:Ljava/util/ArrayList;
    invoke-virtual {v0, p1}, Ljava/util/ArrayList;->get(I)Ljava/lang/Object;
    move-result-object v0
    check-cast v0, Landroid/content/pm/PackageInfo;
    const/4 v1, 0x1
    invoke-direct {p0, v0, v1}, Lcom/velmora/tarvell/Apps;->record(Landroid/content/pm/PackageInfo;Z)Ljava/lang/String;
    move-result-object v2
    invoke-virtual {v2}, Ljava/lang/String;->length()I
    move-result v3
    const/16 v1, 0x400
    if-le v3, v1, :fits
    const/4 v1, 0x0
    invoke-direct {p0, v0, v1}, Lcom/velmora/tarvell/Apps;->record(Landroid/content/pm/PackageInfo;Z)Ljava/lang/String;
    move-result-object v2
    :fits
    return-object v2
    :none
    const-string v0, ""
    return-object v0
.end method

.method private static seconds(J)Ljava/lang/String;
    .locals 2
    const-wide/16 v0, 0x3e8
    div-long/2addr p0, v0
    invoke-static {p0, p1}, Ljava/lang/Long;->toString(J)Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method

# Requested permissions joined by ",", cut at a whole one within 127 bytes.
.method private static permissions([Ljava/lang/String;)Ljava/lang/String;
    .locals 6
    new-instance v0, Ljava/lang/StringBuilder;
    invoke-direct {v0}, Ljava/lang/StringBuilder;-><init>()V
    if-eqz p0, :done
    array-length v1, p0
    const/4 v2, 0x0
    :loop
    if-ge v2, v1, :done
    aget-object v3, p0, v2
    if-eqz v3, :next
    invoke-virtual {v0}, Ljava/lang/StringBuilder;->length()I
    move-result v4
    invoke-virtual {v3}, Ljava/lang/String;->length()I
    move-result v5
    add-int/2addr v4, v5
    add-int/lit8 v4, v4, 0x1
    const/16 v5, 0x7f
    if-gt v4, v5, :done
    invoke-virtual {v0}, Ljava/lang/StringBuilder;->length()I
    move-result v4
    if-eqz v4, :first
    const/16 v4, 0x2c
    invoke-virtual {v0, v4}, Ljava/lang/StringBuilder;->append(C)Ljava/lang/StringBuilder;
    :first
    invoke-virtual {v0, v3}, Ljava/lang/StringBuilder;->append(Ljava/lang/String;)Ljava/lang/StringBuilder;
    :next
    add-int/lit8 v2, v2, 0x1
    goto :loop
    :done
    invoke-virtual {v0}, Ljava/lang/StringBuilder;->toString()Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method

.method private record(Landroid/content/pm/PackageInfo;Z)Ljava/lang/String;
    .locals 8
    new-instance v0, Ljava/lang/StringBuilder;
    invoke-direct {v0}, Ljava/lang/StringBuilder;-><init>()V
    iget-object v1, p0, Lcom/velmora/tarvell/Apps;->context:Landroid/content/Context;
    invoke-virtual {v1}, Landroid/content/Context;->getPackageManager()Landroid/content/pm/PackageManager;
    move-result-object v1
    iget-object v2, p1, Landroid/content/pm/PackageInfo;->packageName:Ljava/lang/String;
    iget-object v3, p1, Landroid/content/pm/PackageInfo;->applicationInfo:Landroid/content/pm/ApplicationInfo;
    const-string v4, "PKG"
    invoke-static {v0, v4, v2}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    if-eqz p2, :no_activity
    invoke-virtual {v1, v2}, Landroid/content/pm/PackageManager;->getLaunchIntentForPackage(Ljava/lang/String;)Landroid/content/Intent;
    move-result-object v4
    if-eqz v4, :no_activity
    invoke-virtual {v4}, Landroid/content/Intent;->getComponent()Landroid/content/ComponentName;
    move-result-object v4
    if-eqz v4, :no_activity
    invoke-virtual {v4}, Landroid/content/ComponentName;->getClassName()Ljava/lang/String;
    move-result-object v4
    const-string v5, "CLS"
    invoke-static {v0, v5, v4}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    :no_activity
    invoke-virtual {v1, v3}, Landroid/content/pm/PackageManager;->getApplicationLabel(Landroid/content/pm/ApplicationInfo;)Ljava/lang/CharSequence;
    move-result-object v4
    invoke-interface {v4}, Ljava/lang/CharSequence;->toString()Ljava/lang/String;
    move-result-object v4
    const-string v5, "APPNAME"
    invoke-static {v0, v5, v4}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    iget-object v4, p1, Landroid/content/pm/PackageInfo;->versionName:Ljava/lang/String;
    const-string v5, "VERSION"
    invoke-static {v0, v5, v4}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    iget v4, p1, Landroid/content/pm/PackageInfo;->versionCode:I
    invoke-static {v4}, Ljava/lang/Integer;->toString(I)Ljava/lang/String;
    move-result-object v4
    const-string v5, "VERSIONCODE"
    invoke-static {v0, v5, v4}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    iget v4, v3, Landroid/content/pm/ApplicationInfo;->flags:I
    const-string v5, "SYSTEMAPP"
    and-int/lit8 v6, v4, 0x1
    invoke-static {v6}, Ljava/lang/Integer;->toString(I)Ljava/lang/String;
    move-result-object v6
    invoke-static {v0, v5, v6}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    # FLAG_EXTERNAL_STORAGE
    const/high16 v6, 0x40000
    and-int/2addr v4, v6
    const-string v5, "0"
    if-eqz v4, :internal
    const-string v5, "1"
    :internal
    const-string v4, "SDCARDAPP"
    invoke-static {v0, v4, v5}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    # Cache and data sizes need the usage-access permission: not sent.
    new-instance v4, Ljava/io/File;
    iget-object v5, v3, Landroid/content/pm/ApplicationInfo;->sourceDir:Ljava/lang/String;
    invoke-direct {v4, v5}, Ljava/io/File;-><init>(Ljava/lang/String;)V
    invoke-virtual {v4}, Ljava/io/File;->length()J
    move-result-wide v4
    invoke-static {v4, v5}, Ljava/lang/Long;->toString(J)Ljava/lang/String;
    move-result-object v4
    const-string v5, "CODESIZE"
    invoke-static {v0, v5, v4}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    const-string v5, "TOTALSIZE"
    invoke-static {v0, v5, v4}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    iget-wide v4, p1, Landroid/content/pm/PackageInfo;->firstInstallTime:J
    invoke-static {v4, v5}, Lcom/velmora/tarvell/Apps;->seconds(J)Ljava/lang/String;
    move-result-object v4
    const-string v5, "INSTALLTIME"
    invoke-static {v0, v5, v4}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    iget-wide v4, p1, Landroid/content/pm/PackageInfo;->lastUpdateTime:J
    invoke-static {v4, v5}, Lcom/velmora/tarvell/Apps;->seconds(J)Ljava/lang/String;
    move-result-object v4
    const-string v5, "LASTUPDATETIME"
    invoke-static {v0, v5, v4}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    if-eqz p2, :done
    iget-object v4, p1, Landroid/content/pm/PackageInfo;->requestedPermissions:[Ljava/lang/String;
    invoke-static {v4}, Lcom/velmora/tarvell/Apps;->permissions([Ljava/lang/String;)Ljava/lang/String;
    move-result-object v4
    const-string v5, "PERMISSIONS"
    invoke-static {v0, v5, v4}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    :done
    invoke-virtual {v0}, Ljava/lang/StringBuilder;->toString()Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method
