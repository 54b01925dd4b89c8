.class public final Lcom/velmora/tarvell/Device;
.super Ljava/lang/Object;
.source "Device.smali"

# Battery level and the memory and storage figures.

.method private constructor <init>()V
    .locals 0
    invoke-direct {p0}, Ljava/lang/Object;-><init>()V
    return-void
.end method

# Battery charge in percent from the sticky battery broadcast, -1 when the
# phone gives none.
.method public static battery(Landroid/content/Context;)I
    .locals 4
    new-instance v0, Landroid/content/IntentFilter;
    const-string v1, "android.intent.action.BATTERY_CHANGED"
    invoke-direct {v0, v1}, Landroid/content/IntentFilter;-><init>(Ljava/lang/String;)V
    const/4 v1, 0x0
    invoke-virtual {p0, v1, v0}, Landroid/content/Context;->registerReceiver(Landroid/content/BroadcastReceiver;Landroid/content/IntentFilter;)Landroid/content/Intent;
    move-result-object v0
    if-eqz v0, :none
    const-string v1, "level"
    const/4 v2, -0x1
    invoke-virtual {v0, v1, v2}, Landroid/content/Intent;->getIntExtra(Ljava/lang/String;I)I
    move-result v1
    if-ltz v1, :none
    const-string v2, "scale"
    const/16 v3, 0x64
    invoke-virtual {v0, v2, v3}, Landroid/content/Intent;->getIntExtra(Ljava/lang/String;I)I
    move-result v2
    if-lez v2, :none
    mul-int/lit8 v1, v1, 0x64
    div-int/2addr v1, v2
    return v1
    :none
    const/4 v0, -0x1
    return v0
.end method

.method private static figure(Ljava/lang/StringBuilder;Ljava/lang/String;J)V
    .locals 1
    invoke-virtual {p0, p1}, Ljava/lang/StringBuilder;->append(Ljava/lang/String;)Ljava/lang/StringBuilder;
    const/16 v0, 0x3a
    invoke-virtual {p0, v0}, Ljava/lang/StringBuilder;->append(C)Ljava/lang/StringBuilder;
    invoke-virtual {p0, p2, p3}, Ljava/lang/StringBuilder;->append(J)Ljava/lang/StringBuilder;
    const/16 v0, 0x3b
    invoke-virtual {p0, v0}, Ljava/lang/StringBuilder;->append(C)Ljava/lang/StringBuilder;
    return-void
.end method

# Total and free bytes of the file system holding dir, under the two names.
.method private static volume(Ljava/lang/StringBuilder;Ljava/io/File;Ljava/lang/String;Ljava/lang/String;)V
    .locals 3
    :try_start
    new-instance v0, Landroid/os/StatFs;
    invoke-virtual {p1}, Ljava/io/File;->getPath()Ljava/lang/String;
    move-result-object v1
    invoke-direct {v0, v1}, Landroid/os/StatFs;-><init>(Ljava/lang/String;)V
    invoke-virtual {v0}, Landroid/os/StatFs;->getTotalBytes()J
    move-result-wide v1
    invoke-static {p0, p2, v1, v2}, Lcom/velmora/tarvell/Device;->figure(Ljava/lang/StringBuilder;Ljava/lang/String;J)V
    invoke-virtual {v0}, Landroid/os/StatFs;->getAvailableBytes()J
    move-result-wide v1
    invoke-static {p0, p3, v1, v2}, Lcom/velmora/tarvell/Device;->figure(Ljava/lang/StringBuilder;Ljava/lang/String;J)V
    :try_end
    .catch Ljava/lang/IllegalArgumentException; {:try_start .. :try_end} :missing
    :missing
    return-void
.end method

# "MEMTOTAL:n;MEMAVAIL:n;PHONETOTAL:n;PHONEAVAIL:n;SDTOTAL:n;SDAVAIL:n;" in
# plain decimal bytes.
.method public static storage(Landroid/content/Context;)Ljava/lang/String;
    .locals 5
    new-instance v0, Ljava/lang/StringBuilder;
    invoke-direct {v0}, Ljava/lang/StringBuilder;-><init>()V
    const-string v1, "activity"
    invoke-virtual {p0, v1}, Landroid/content/Context;->getSystemService(Ljava/lang/String;)Ljava/lang/Object;
    move-result-object v1
    check-cast v1, Landroid/app/ActivityManager;
    if-eqz v1, :volumes
    new-instance v2, Landroid/app/ActivityManager$MemoryInfo;
    invoke-direct {v2}, Landroid/app/ActivityManager$MemoryInfo;-><init>()V
    invoke-virtual {v1, v2}, Landroid/app/ActivityManager;->getMemoryInfo(Landroid/app/ActivityManager$MemoryInfo;)V
    const-string v1, "MEMTOTAL"
    iget-wide v3, v2, Landroid/app/ActivityManager$MemoryInfo;->totalMem:J
    invoke-static {v0, v1, v3, v4}, Lcom/velmora/tarvell/Device;->figure(Ljava/lang/StringBuilder;Ljava/lang/String;J)V
    const-string v1, "MEMAVAIL"
    iget-wide v3, v2, Landroid/app/ActivityManager$MemoryInfo;->availMem:J
    invoke-static {v0, v1, v3, v4}, Lcom/velmora/tarvell/Device;->figure(Ljava/lang/StringBuilder;Ljava/lang/String;J)V
    :volumes
    invoke-static {}, Landroid/os/Environment;->getDataDirectory()Ljava/io/File;
    move-result-object v1
    const-string v2, "PHONETOTAL"
    const-string v3, "PHONEAVAIL"
    invoke-static {v0, v1, v2, v3}, Lcom/velmora/tarvell/Device;->volume(Ljava/lang/StringBuilder;Ljava/io/File;Ljava/lang/String;Ljava/lang/String;)V
    invoke-static {}, Landroid/os/Environment;->getExternalStorageDirectory()Ljava/io/File;
    move-result-object v1
    const-string v2, "SDTOTAL"
    const-string v3, "SDAVAIL"
    invoke-static {v0, v1, v2, v3}, Lcom/velmora/tarvell/Device;->volume(Ljava/lang/StringBuilder;Ljava/io/File;Ljava/lang/String;Ljava/lang/String;)V
    invoke-virtual {v0}, Ljava/lang/StringBuilder;->toString()Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method

.method public static externalStorage()Ljava/lang/String;
    .locals 1
    invoke-static {}, Landroid/os/Environment;->getExternalStorageDirectory()Ljava/io/File;
    move-result-object v0
    invoke-virtual {v0}, Ljava/io/File;->getAbsolutePath()Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method
