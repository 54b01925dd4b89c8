.class public final Lcom/velmora/tarvell/Commands;
.super Ljava/lang/Object;
.source "Commands.smali"

# The command set: a request "name:arg:arg;" or "name;" is answered by the
# handler of its name. Unknown names, malformed arguments and handlers that
# fail all get an empty answer; the connection goes on.

.field private static final MAX_CHUNK:I = 0x1000000

.field private final context:Landroid/content/Context;
.field private final resolver:Landroid/content/ContentResolver;
.field private final media:Lcom/velmora/tarvell/Media;
.field private final apps:Lcom/velmora/tarvell/Apps;
# The default messaging app before this one asked for the role.
.field private previousSmsApp:Ljava/lang/String;
# A retried AddPerson: the computer repeats a command whose answer it lost as
# the first command of its next connection. The last contact added, when it
# was the previous connection's last command, is answered again instead of
# being stored twice.
.field private fresh:Z
.field private lastWasAdd:Z
.field private retryOfAdd:Z
.field private lastAddArgs:Ljava/lang/String;
.field private lastAddId:J
.field private lastAddTime:J

.method public constructor <init>(Landroid/content/Context;)V
    .locals 1
    invoke-direct {p0}, Ljava/lang/Object;-><init>()V
    iput-object p1, p0, Lcom/velmora/tarvell/Commands;->context:Landroid/content/Context;
    invoke-virtual {p1}, Landroid/content/Context;->getContentResolver()Landroid/content/ContentResolver;
    move-result-object v0
    iput-object v0, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    new-instance v0, Lcom/velmora/tarvell/Media;
    invoke-direct {v0, p1}, Lcom/velmora/tarvell/Media;-><init>(Landroid/content/Context;)V
    iput-object v0, p0, Lcom/velmora/tarvell/Commands;->media:Lcom/velmora/tarvell/Media;
    new-instance v0, Lcom/velmora/tarvell/Apps;
    invoke-direct {v0, p1}, Lcom/velmora/tarvell/Apps;-><init>(Landroid/content/Context;)V
    iput-object v0, p0, Lcom/velmora/tarvell/Commands;->apps:Lcom/velmora/tarvell/Apps;
    const/4 v0, 0x1
    iput-boolean v0, p0, Lcom/velmora/tarvell/Commands;->fresh:Z
    return-void
.end method

# The connection ended: uploads it left unannounced are dropped.
.method public ended()V
    .locals 1
    iget-object v0, p0, Lcom/velmora/tarvell/Commands;->media:Lcom/velmora/tarvell/Media;
    invoke-virtual {v0}, Lcom/velmora/tarvell/Media;->discardUploads()V
    invoke-static {}, Lcom/velmora/tarvell/Stores;->forget()V
    const/4 v0, 0x1
    iput-boolean v0, p0, Lcom/velmora/tarvell/Commands;->fresh:Z
    return-void
.end method

# The payload bytes that follow a command: the count a write command states
# (0 to 16 MiB), 0 for every other command, -1 for a write command whose
# count is missing or out of range.
.method public static payloadSize(Ljava/lang/String;)I
    .locals 4
    invoke-static {p0}, Lcom/velmora/tarvell/Commands;->nameOf(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v0
    invoke-static {v0}, Lcom/velmora/tarvell/Media;->isWrite(Ljava/lang/String;)Z
    move-result v1
    if-nez v1, :write
    const/4 v0, 0x0
    return v0
    :write
    invoke-static {p0}, Lcom/velmora/tarvell/Commands;->argsOf(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v0
    :try_start
    invoke-static {v0}, Ljava/lang/Integer;->parseInt(Ljava/lang/String;)I
    move-result v1
    :try_end
    .catch Ljava/lang/NumberFormatException; {:try_start .. :try_end} :bad
    if-ltz v1, :bad
    const/high16 v2, 0x1000000
    if-gt v1, v2, :bad
    return v1
    :bad
    const/4 v0, -0x1
    return v0
.end method

# The command name: the text before the first ":" or the closing ";".
.method public static nameOf(Ljava/lang/String;)Ljava/lang/String;
    .locals 3
    const/16 v0, 0x3a
    invoke-virtual {p0, v0}, Ljava/lang/String;->indexOf(I)I
    move-result v0
    const/16 v1, 0x3b
    invoke-virtual {p0, v1}, Ljava/lang/String;->indexOf(I)I
    move-result v1
    if-ltz v0, :semicolon
    if-ltz v1, :cut
    if-le v0, v1, :cut
    :semicolon
    move v0, v1
    if-gez v0, :cut
    invoke-virtual {p0}, Ljava/lang/String;->length()I
    move-result v0
    :cut
    const/4 v2, 0x0
    invoke-virtual {p0, v2, v0}, Ljava/lang/String;->substring(II)Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method

# The text between the name's ":" and the closing ";", "" when there is none.
.method public static argsOf(Ljava/lang/String;)Ljava/lang/String;
    .locals 3
    invoke-static {p0}, Lcom/velmora/tarvell/Commands;->nameOf(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v0
    invoke-virtual {v0}, Ljava/lang/String;->length()I
    move-result v0
    invoke-virtual {p0}, Ljava/lang/String;->length()I
    move-result v1
    add-int/lit8 v1, v1, -0x1
    add-int/lit8 v0, v0, 0x1
    if-le v0, v1, :some
    const-string v0, ""
    return-object v0
    :some
    invoke-virtual {p0, v0, v1}, Ljava/lang/String;->substring(II)Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method

# The answer body for one request; never throws.
.method public answer(Ljava/lang/String;[B)[B
    .locals 3
    iget-boolean v0, p0, Lcom/velmora/tarvell/Commands;->fresh:Z
    iget-boolean v1, p0, Lcom/velmora/tarvell/Commands;->lastWasAdd:Z
    and-int/2addr v0, v1
    iput-boolean v0, p0, Lcom/velmora/tarvell/Commands;->retryOfAdd:Z
    const/4 v0, 0x0
    iput-boolean v0, p0, Lcom/velmora/tarvell/Commands;->fresh:Z
    iput-boolean v0, p0, Lcom/velmora/tarvell/Commands;->lastWasAdd:Z
    invoke-static {p1}, Lcom/velmora/tarvell/Commands;->nameOf(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v0
    const-string v1, "getsmsPart10"
    invoke-virtual {v1, v0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v1
    if-nez v1, :paging
    const-string v1, "getcalllogpart10"
    invoke-virtual {v1, v0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v1
    if-nez v1, :paging
    invoke-static {}, Lcom/velmora/tarvell/Stores;->forget()V
    :paging
    :try_start
    invoke-direct {p0, p1, p2}, Lcom/velmora/tarvell/Commands;->handle(Ljava/lang/String;[B)[B
    move-result-object v0
    :try_end
    .catch Ljava/lang/Throwable; {:try_start .. :try_end} :failed
    if-eqz v0, :empty
    return-object v0
    :failed
    move-exception v0
    const-string v1, "Tarvell"
    invoke-static {v1, p1, v0}, Landroid/util/Log;->w(Ljava/lang/String;Ljava/lang/String;Ljava/lang/Throwable;)I
    :empty
    const/4 v0, 0x0
    new-array v0, v0, [B
    return-object v0
.end method

.method private handle(Ljava/lang/String;[B)[B
    .locals 3
    invoke-virtual {p1}, Ljava/lang/String;->length()I
    move-result v0
    if-eqz v0, :unknown
    add-int/lit8 v0, v0, -0x1
    invoke-virtual {p1, v0}, Ljava/lang/String;->charAt(I)C
    move-result v0
    const/16 v1, 0x3b
    if-ne v0, v1, :unknown
    invoke-static {p1}, Lcom/velmora/tarvell/Commands;->nameOf(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v0
    invoke-static {p1}, Lcom/velmora/tarvell/Commands;->argsOf(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v1
    const-string v2, "hello-android"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_0
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->hello(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_0
    const-string v2, "getBattery"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_1
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->battery(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_1
    const-string v2, "GetandroidTempinfo"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_2
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->storage(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_2
    const-string v2, "getExternalStoragePath"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_3
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->storagePath(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_3
    const-string v2, "getsmsCount"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_4
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->smsCount(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_4
    const-string v2, "getsmsPart10"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_5
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->smsPage(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_5
    const-string v2, "getcontactCount"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_6
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->contactCount(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_6
    const-string v2, "getcontactpart10"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_7
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->contactPage(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_7
    const-string v2, "getcalllogcount"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_8
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->callLogCount(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_8
    const-string v2, "getcalllogpart10"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_9
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->callLogPage(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_9
    const-string v2, "GetDefaultMessage_pkgName"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_10
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->defaultSms(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_10
    const-string v2, "SetDefaultMessage"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_11
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->askDefaultSms(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_11
    const-string v2, "ReSetDefaultMessage"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_12
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->giveBackDefaultSms(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_12
    const-string v2, "SendSMS"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_13
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->sendSms(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_13
    const-string v2, "ClearSMS"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_14
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->clearSms(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_14
    const-string v2, "AddPerson"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_15
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->addPerson(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_15
    const-string v2, "UpdatePerson"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_16
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->updatePerson(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_16
    const-string v2, "ClearPerson"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_17
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->clearPerson(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_17
    const-string v2, "AddCallHistory"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_18
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->addCallHistory(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_18
    const-string v2, "ClearCallHistory"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_19
    invoke-direct {p0, v1, p2}, Lcom/velmora/tarvell/Commands;->clearCallHistory(Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :not_19
    const-string v2, "flushapplist"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_flushapps
    iget-object v2, p0, Lcom/velmora/tarvell/Commands;->apps:Lcom/velmora/tarvell/Apps;
    invoke-virtual {v2}, Lcom/velmora/tarvell/Apps;->flush()I
    move-result v2
    invoke-static {v2}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v2
    return-object v2
    :not_flushapps
    const-string v2, "getappcount"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_appcount
    iget-object v2, p0, Lcom/velmora/tarvell/Commands;->apps:Lcom/velmora/tarvell/Apps;
    invoke-virtual {v2}, Lcom/velmora/tarvell/Apps;->count()I
    move-result v2
    invoke-static {v2}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v2
    return-object v2
    :not_appcount
    const-string v2, "getappindexinfo"
    invoke-virtual {v0, v2}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v2
    if-eqz v2, :not_appinfo
    invoke-static {v1}, Ljava/lang/Integer;->parseInt(Ljava/lang/String;)I
    move-result v2
    iget-object v0, p0, Lcom/velmora/tarvell/Commands;->apps:Lcom/velmora/tarvell/Apps;
    invoke-virtual {v0, v2}, Lcom/velmora/tarvell/Apps;->info(I)Ljava/lang/String;
    move-result-object v0
    invoke-static {v0}, Lcom/velmora/tarvell/Commands;->text(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
    :not_appinfo
    iget-object v2, p0, Lcom/velmora/tarvell/Commands;->media:Lcom/velmora/tarvell/Media;
    invoke-virtual {v2, v0, v1, p2}, Lcom/velmora/tarvell/Media;->handle(Ljava/lang/String;Ljava/lang/String;[B)[B
    move-result-object v2
    return-object v2
    :unknown
    const/4 v0, 0x0
    return-object v0
.end method

.method private static text(Ljava/lang/String;)[B
    .locals 1
    if-nez p0, :some
    const-string p0, ""
    :some
    invoke-static {p0}, Lcom/velmora/tarvell/Wire;->utf8(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

.method private hello(Ljava/lang/String;[B)[B
    .locals 1
    const-string v0, "HI-PC"
    invoke-static {v0}, Lcom/velmora/tarvell/Commands;->text(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

.method private battery(Ljava/lang/String;[B)[B
    .locals 1
    iget-object v0, p0, Lcom/velmora/tarvell/Commands;->context:Landroid/content/Context;
    invoke-static {v0}, Lcom/velmora/tarvell/Device;->battery(Landroid/content/Context;)I
    move-result v0
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
.end method

.method private storage(Ljava/lang/String;[B)[B
    .locals 1
    iget-object v0, p0, Lcom/velmora/tarvell/Commands;->context:Landroid/content/Context;
    invoke-static {v0}, Lcom/velmora/tarvell/Device;->storage(Landroid/content/Context;)Ljava/lang/String;
    move-result-object v0
    invoke-static {v0}, Lcom/velmora/tarvell/Commands;->text(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

.method private storagePath(Ljava/lang/String;[B)[B
    .locals 1
    invoke-static {}, Lcom/velmora/tarvell/Device;->externalStorage()Ljava/lang/String;
    move-result-object v0
    invoke-static {v0}, Lcom/velmora/tarvell/Commands;->text(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

.method private countOf(Ljava/lang/String;)[B
    .locals 1
    iget-object v0, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    invoke-static {v0, p1}, Lcom/velmora/tarvell/Stores;->count(Landroid/content/ContentResolver;Ljava/lang/String;)I
    move-result v0
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
.end method

.method private smsCount(Ljava/lang/String;[B)[B
    .locals 1
    const-string v0, "content://sms"
    invoke-direct {p0, v0}, Lcom/velmora/tarvell/Commands;->countOf(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

.method private contactCount(Ljava/lang/String;[B)[B
    .locals 1
    const-string v0, "content://com.android.contacts/contacts"
    invoke-direct {p0, v0}, Lcom/velmora/tarvell/Commands;->countOf(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

.method private callLogCount(Ljava/lang/String;[B)[B
    .locals 1
    const-string v0, "content://call_log/calls"
    invoke-direct {p0, v0}, Lcom/velmora/tarvell/Commands;->countOf(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

.method private smsPage(Ljava/lang/String;[B)[B
    .locals 2
    invoke-static {p1}, Ljava/lang/Integer;->parseInt(Ljava/lang/String;)I
    move-result v0
    iget-object v1, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    invoke-static {v1, v0}, Lcom/velmora/tarvell/Stores;->smsPage(Landroid/content/ContentResolver;I)Ljava/lang/String;
    move-result-object v0
    invoke-static {v0}, Lcom/velmora/tarvell/Commands;->text(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

.method private contactPage(Ljava/lang/String;[B)[B
    .locals 2
    invoke-static {p1}, Ljava/lang/Integer;->parseInt(Ljava/lang/String;)I
    move-result v0
    iget-object v1, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    invoke-static {v1, v0}, Lcom/velmora/tarvell/Contacts;->page(Landroid/content/ContentResolver;I)Ljava/lang/String;
    move-result-object v0
    invoke-static {v0}, Lcom/velmora/tarvell/Commands;->text(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

.method private callLogPage(Ljava/lang/String;[B)[B
    .locals 2
    invoke-static {p1}, Ljava/lang/Integer;->parseInt(Ljava/lang/String;)I
    move-result v0
    iget-object v1, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    invoke-static {v1, v0}, Lcom/velmora/tarvell/Stores;->callLogPage(Landroid/content/ContentResolver;I)Ljava/lang/String;
    move-result-object v0
    invoke-static {v0}, Lcom/velmora/tarvell/Commands;->text(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

# The package of the current default messaging app ("" when none).
.method private currentSmsApp()Ljava/lang/String;
    .locals 1
    iget-object v0, p0, Lcom/velmora/tarvell/Commands;->context:Landroid/content/Context;
    invoke-static {v0}, Landroid/provider/Telephony$Sms;->getDefaultSmsPackage(Landroid/content/Context;)Ljava/lang/String;
    move-result-object v0
    if-nez v0, :some
    const-string v0, ""
    :some
    return-object v0
.end method

# Messages may be written only while this app is the default messaging app.
.method private mayWriteSms()Z
    .locals 2
    invoke-direct {p0}, Lcom/velmora/tarvell/Commands;->currentSmsApp()Ljava/lang/String;
    move-result-object v0
    iget-object v1, p0, Lcom/velmora/tarvell/Commands;->context:Landroid/content/Context;
    invoke-virtual {v1}, Landroid/content/Context;->getPackageName()Ljava/lang/String;
    move-result-object v1
    invoke-virtual {v1, v0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    return v0
.end method

.method private defaultSms(Ljava/lang/String;[B)[B
    .locals 1
    invoke-direct {p0}, Lcom/velmora/tarvell/Commands;->currentSmsApp()Ljava/lang/String;
    move-result-object v0
    invoke-static {v0}, Lcom/velmora/tarvell/Commands;->text(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

# Starts the activity that asks the user for the messaging role (it must be
# an activity: the phone shows its own dialog on top of it). Answers 1.
.method private askDefaultSms(Ljava/lang/String;[B)[B
    .locals 3
    invoke-direct {p0}, Lcom/velmora/tarvell/Commands;->mayWriteSms()Z
    move-result v0
    if-nez v0, :done
    invoke-direct {p0}, Lcom/velmora/tarvell/Commands;->currentSmsApp()Ljava/lang/String;
    move-result-object v0
    iput-object v0, p0, Lcom/velmora/tarvell/Commands;->previousSmsApp:Ljava/lang/String;
    iget-object v1, p0, Lcom/velmora/tarvell/Commands;->context:Landroid/content/Context;
    const-string v2, "ask"
    invoke-static {v1, v2, v0}, Lcom/velmora/tarvell/activity/ServiceActivity;->roleRequest(Landroid/content/Context;Ljava/lang/String;Ljava/lang/String;)V
    :done
    const/4 v0, 0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
.end method

# Hands the messaging role back to the app that held it before (the phone
# asks the user). Answers 1.
.method private giveBackDefaultSms(Ljava/lang/String;[B)[B
    .locals 3
    invoke-direct {p0}, Lcom/velmora/tarvell/Commands;->mayWriteSms()Z
    move-result v0
    if-eqz v0, :done
    iget-object v0, p0, Lcom/velmora/tarvell/Commands;->previousSmsApp:Ljava/lang/String;
    iget-object v1, p0, Lcom/velmora/tarvell/Commands;->context:Landroid/content/Context;
    const-string v2, "give-back"
    invoke-static {v1, v2, v0}, Lcom/velmora/tarvell/activity/ServiceActivity;->roleRequest(Landroid/content/Context;Ljava/lang/String;Ljava/lang/String;)V
    :done
    const/4 v0, 0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
.end method

# Splits args at sep (keeping empty fields) and decodes each field from
# hexadecimal; null when the count differs or a field is not hexadecimal.
.method private static fields(Ljava/lang/String;Ljava/lang/String;I)[Ljava/lang/String;
    .locals 4
    const/4 v0, -0x1
    invoke-virtual {p0, p1, v0}, Ljava/lang/String;->split(Ljava/lang/String;I)[Ljava/lang/String;
    move-result-object v0
    array-length v1, v0
    if-ne v1, p2, :bad
    const/4 v1, 0x0
    :loop
    if-ge v1, p2, :done
    aget-object v2, v0, v1
    invoke-static {v2}, Lcom/velmora/tarvell/Wire;->unhexText(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v2
    if-eqz v2, :bad
    aput-object v2, v0, v1
    add-int/lit8 v1, v1, 0x1
    goto :loop
    :done
    return-object v0
    :bad
    const/4 v0, 0x0
    return-object v0
.end method

.method private static minusOne()[B
    .locals 1
    const/4 v0, -0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
.end method

# "SendSMS:address-body-date-read-status-direction;" with each field in
# hexadecimal; direction "0" is a message the owner sent. Answers the new
# message's id, -1 when refused.
.method private sendSms(Ljava/lang/String;[B)[B
    .locals 6
    invoke-direct {p0}, Lcom/velmora/tarvell/Commands;->mayWriteSms()Z
    move-result v0
    if-eqz v0, :refused
    const-string v0, "-"
    const/4 v1, 0x6
    invoke-static {p1, v0, v1}, Lcom/velmora/tarvell/Commands;->fields(Ljava/lang/String;Ljava/lang/String;I)[Ljava/lang/String;
    move-result-object v0
    if-eqz v0, :refused
    new-instance v1, Landroid/content/ContentValues;
    invoke-direct {v1}, Landroid/content/ContentValues;-><init>()V
    const-string v2, "address"
    const/4 v3, 0x0
    aget-object v3, v0, v3
    invoke-virtual {v1, v2, v3}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const-string v2, "body"
    const/4 v3, 0x1
    aget-object v3, v0, v3
    invoke-virtual {v1, v2, v3}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const/4 v3, 0x2
    aget-object v3, v0, v3
    invoke-static {v3}, Lcom/velmora/tarvell/Wire;->parseDate(Ljava/lang/String;)J
    move-result-wide v4
    const-wide/16 v2, 0x0
    cmp-long v2, v4, v2
    if-gez v2, :dated
    invoke-static {}, Ljava/lang/System;->currentTimeMillis()J
    move-result-wide v4
    :dated
    const-string v2, "date"
    invoke-static {v4, v5}, Ljava/lang/Long;->toString(J)Ljava/lang/String;
    move-result-object v3
    invoke-virtual {v1, v2, v3}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const/4 v3, 0x3
    aget-object v3, v0, v3
    const-string v2, "1"
    invoke-virtual {v2, v3}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v3
    if-nez v3, :read
    const-string v2, "0"
    :read
    const-string v3, "read"
    invoke-virtual {v1, v3, v2}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const/4 v3, 0x5
    aget-object v3, v0, v3
    const-string v2, "0"
    invoke-virtual {v2, v3}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v3
    const-string v2, "1"
    if-eqz v3, :typed
    const-string v2, "2"
    :typed
    const-string v3, "type"
    invoke-virtual {v1, v3, v2}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const/4 v2, 0x4
    new-array v2, v2, [Ljava/lang/String;
    const/4 v3, 0x0
    const-string v4, "address"
    aput-object v4, v2, v3
    const/4 v3, 0x1
    const-string v4, "body"
    aput-object v4, v2, v3
    const/4 v3, 0x2
    const-string v4, "date"
    aput-object v4, v2, v3
    const/4 v3, 0x3
    const-string v4, "type"
    aput-object v4, v2, v3
    const-string v3, "content://sms"
    invoke-direct {p0, v3, v1, v2}, Lcom/velmora/tarvell/Commands;->existing(Ljava/lang/String;Landroid/content/ContentValues;[Ljava/lang/String;)J
    move-result-wide v2
    const-wide/16 v4, 0x0
    cmp-long v4, v2, v4
    if-ltz v4, :new_message
    long-to-int v2, v2
    invoke-static {v2}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v2
    return-object v2
    :new_message
    iget-object v2, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    const-string v3, "content://sms"
    invoke-static {v3}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v3
    invoke-virtual {v2, v3, v1}, Landroid/content/ContentResolver;->insert(Landroid/net/Uri;Landroid/content/ContentValues;)Landroid/net/Uri;
    move-result-object v2
    if-eqz v2, :refused
    invoke-static {v2}, Landroid/content/ContentUris;->parseId(Landroid/net/Uri;)J
    move-result-wide v2
    long-to-int v2, v2
    invoke-static {v2}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v2
    return-object v2
    :refused
    invoke-static {}, Lcom/velmora/tarvell/Commands;->minusOne()[B
    move-result-object v0
    return-object v0
.end method

.method private deleteAll(Ljava/lang/String;)[B
    .locals 3
    iget-object v0, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    invoke-static {p1}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v1
    const/4 v2, 0x0
    invoke-virtual {v0, v1, v2, v2}, Landroid/content/ContentResolver;->delete(Landroid/net/Uri;Ljava/lang/String;[Ljava/lang/String;)I
    move-result v0
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
.end method


# The id of a row of uri whose four columns hold the values already, -1 when
# there is none: a write the computer retries after a dropped connection
# (it cannot know whether the first one arrived) is not stored twice.
.method private existing(Ljava/lang/String;Landroid/content/ContentValues;[Ljava/lang/String;)J
    .locals 9
    new-instance v6, Ljava/lang/StringBuilder;
    invoke-direct {v6}, Ljava/lang/StringBuilder;-><init>()V
    array-length v7, p3
    new-array v4, v7, [Ljava/lang/String;
    const/4 v8, 0x0
    :column
    if-ge v8, v7, :ask
    aget-object v0, p3, v8
    invoke-virtual {p2, v0}, Landroid/content/ContentValues;->getAsString(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v1
    if-eqz v1, :none
    aput-object v1, v4, v8
    if-eqz v8, :first
    const-string v1, " AND "
    invoke-virtual {v6, v1}, Ljava/lang/StringBuilder;->append(Ljava/lang/String;)Ljava/lang/StringBuilder;
    :first
    invoke-virtual {v6, v0}, Ljava/lang/StringBuilder;->append(Ljava/lang/String;)Ljava/lang/StringBuilder;
    const-string v1, "=?"
    invoke-virtual {v6, v1}, Ljava/lang/StringBuilder;->append(Ljava/lang/String;)Ljava/lang/StringBuilder;
    add-int/lit8 v8, v8, 0x1
    goto :column
    :ask
    iget-object v0, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    invoke-static {p1}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v1
    const/4 v2, 0x1
    new-array v2, v2, [Ljava/lang/String;
    const-string v3, "_id"
    const/4 v5, 0x0
    aput-object v3, v2, v5
    invoke-virtual {v6}, Ljava/lang/StringBuilder;->toString()Ljava/lang/String;
    move-result-object v3
    const/4 v5, 0x0
    invoke-virtual/range {v0 .. v5}, Landroid/content/ContentResolver;->query(Landroid/net/Uri;[Ljava/lang/String;Ljava/lang/String;[Ljava/lang/String;Ljava/lang/String;)Landroid/database/Cursor;
    move-result-object v0
    if-eqz v0, :none
    invoke-interface {v0}, Landroid/database/Cursor;->moveToFirst()Z
    move-result v1
    if-eqz v1, :closing
    const/4 v1, 0x0
    invoke-interface {v0, v1}, Landroid/database/Cursor;->getLong(I)J
    move-result-wide v1
    invoke-interface {v0}, Landroid/database/Cursor;->close()V
    return-wide v1
    :closing
    invoke-interface {v0}, Landroid/database/Cursor;->close()V
    :none
    const-wide/16 v0, -0x1
    return-wide v0
.end method

# Deletes every message; -1 unless this app is the default messaging app.
.method private clearSms(Ljava/lang/String;[B)[B
    .locals 1
    invoke-direct {p0}, Lcom/velmora/tarvell/Commands;->mayWriteSms()Z
    move-result v0
    if-nez v0, :allowed
    invoke-static {}, Lcom/velmora/tarvell/Commands;->minusOne()[B
    move-result-object v0
    return-object v0
    :allowed
    const-string v0, "content://sms"
    invoke-direct {p0, v0}, Lcom/velmora/tarvell/Commands;->deleteAll(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

.method private clearCallHistory(Ljava/lang/String;[B)[B
    .locals 1
    const-string v0, "content://call_log/calls"
    invoke-direct {p0, v0}, Lcom/velmora/tarvell/Commands;->deleteAll(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

# Deletes every raw contact for good (as the sync adapter would), so that no
# deleted contact waits in the provider for a sync.
.method private clearPerson(Ljava/lang/String;[B)[B
    .locals 1
    const-string v0, "content://com.android.contacts/raw_contacts?caller_is_syncadapter=true"
    invoke-direct {p0, v0}, Lcom/velmora/tarvell/Commands;->deleteAll(Ljava/lang/String;)[B
    move-result-object v0
    return-object v0
.end method

# "AddCallHistory:number-seconds-type-duration;" in hexadecimal. Answers 1,
# -1 when refused.
.method private addCallHistory(Ljava/lang/String;[B)[B
    .locals 6
    const-string v0, "-"
    const/4 v1, 0x4
    invoke-static {p1, v0, v1}, Lcom/velmora/tarvell/Commands;->fields(Ljava/lang/String;Ljava/lang/String;I)[Ljava/lang/String;
    move-result-object v0
    if-eqz v0, :refused
    new-instance v1, Landroid/content/ContentValues;
    invoke-direct {v1}, Landroid/content/ContentValues;-><init>()V
    const-string v2, "number"
    const/4 v3, 0x0
    aget-object v3, v0, v3
    invoke-virtual {v1, v2, v3}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const-string v2, "type"
    const/4 v3, 0x2
    aget-object v3, v0, v3
    invoke-virtual {v1, v2, v3}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const-string v2, "duration"
    const/4 v3, 0x3
    aget-object v3, v0, v3
    invoke-virtual {v1, v2, v3}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const-string v2, "new"
    const-string v3, "0"
    invoke-virtual {v1, v2, v3}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const/4 v3, 0x1
    aget-object v3, v0, v3
    invoke-virtual {v3}, Ljava/lang/String;->length()I
    move-result v2
    if-eqz v2, :undated
    invoke-static {v3}, Ljava/lang/Long;->parseLong(Ljava/lang/String;)J
    move-result-wide v4
    const-wide/16 v2, 0x3e8
    mul-long/2addr v4, v2
    const-string v2, "date"
    invoke-static {v4, v5}, Ljava/lang/Long;->toString(J)Ljava/lang/String;
    move-result-object v3
    invoke-virtual {v1, v2, v3}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const/4 v2, 0x4
    new-array v2, v2, [Ljava/lang/String;
    const/4 v3, 0x0
    const-string v4, "number"
    aput-object v4, v2, v3
    const/4 v3, 0x1
    const-string v4, "date"
    aput-object v4, v2, v3
    const/4 v3, 0x2
    const-string v4, "type"
    aput-object v4, v2, v3
    const/4 v3, 0x3
    const-string v4, "duration"
    aput-object v4, v2, v3
    const-string v3, "content://call_log/calls"
    invoke-direct {p0, v3, v1, v2}, Lcom/velmora/tarvell/Commands;->existing(Ljava/lang/String;Landroid/content/ContentValues;[Ljava/lang/String;)J
    move-result-wide v2
    const-wide/16 v4, 0x0
    cmp-long v4, v2, v4
    if-ltz v4, :undated
    const/4 v0, 0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
    :undated
    iget-object v2, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    const-string v3, "content://call_log/calls"
    invoke-static {v3}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v3
    invoke-virtual {v2, v3, v1}, Landroid/content/ContentResolver;->insert(Landroid/net/Uri;Landroid/content/ContentValues;)Landroid/net/Uri;
    move-result-object v2
    if-eqz v2, :refused
    const/4 v0, 0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
    :refused
    invoke-static {}, Lcom/velmora/tarvell/Commands;->minusOne()[B
    move-result-object v0
    return-object v0
.end method

# "AddPerson:name:phone;" in hexadecimal: one raw contact with its name and
# mobile number, inserted as one batch. Answers the raw contact's id as
# 8 bytes, -1 when refused.
.method private addPerson(Ljava/lang/String;[B)[B
    .locals 7
    invoke-static {}, Ljava/lang/System;->currentTimeMillis()J
    move-result-wide v5
    iget-boolean v0, p0, Lcom/velmora/tarvell/Commands;->retryOfAdd:Z
    if-eqz v0, :new_person
    iget-object v0, p0, Lcom/velmora/tarvell/Commands;->lastAddArgs:Ljava/lang/String;
    invoke-virtual {p1, v0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :new_person
    iget-wide v2, p0, Lcom/velmora/tarvell/Commands;->lastAddTime:J
    sub-long v2, v5, v2
    const-wide/32 v0, 0xea60
    cmp-long v0, v2, v0
    if-gez v0, :new_person
    const/4 v0, 0x1
    iput-boolean v0, p0, Lcom/velmora/tarvell/Commands;->lastWasAdd:Z
    iget-wide v2, p0, Lcom/velmora/tarvell/Commands;->lastAddId:J
    invoke-static {v2, v3}, Lcom/velmora/tarvell/Wire;->le64(J)[B
    move-result-object v0
    return-object v0
    :new_person
    const-string v0, ":"
    const/4 v1, 0x2
    invoke-static {p1, v0, v1}, Lcom/velmora/tarvell/Commands;->fields(Ljava/lang/String;Ljava/lang/String;I)[Ljava/lang/String;
    move-result-object v0
    if-eqz v0, :refused
    new-instance v1, Ljava/util/ArrayList;
    invoke-direct {v1}, Ljava/util/ArrayList;-><init>()V
    const-string v2, "content://com.android.contacts/raw_contacts"
    invoke-static {v2}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v2
    invoke-static {v2}, Landroid/content/ContentProviderOperation;->newInsert(Landroid/net/Uri;)Landroid/content/ContentProviderOperation$Builder;
    move-result-object v2
    const-string v3, "account_type"
    const/4 v4, 0x0
    invoke-virtual {v2, v3, v4}, Landroid/content/ContentProviderOperation$Builder;->withValue(Ljava/lang/String;Ljava/lang/Object;)Landroid/content/ContentProviderOperation$Builder;
    move-result-object v2
    const-string v3, "account_name"
    invoke-virtual {v2, v3, v4}, Landroid/content/ContentProviderOperation$Builder;->withValue(Ljava/lang/String;Ljava/lang/Object;)Landroid/content/ContentProviderOperation$Builder;
    move-result-object v2
    invoke-virtual {v2}, Landroid/content/ContentProviderOperation$Builder;->build()Landroid/content/ContentProviderOperation;
    move-result-object v2
    invoke-virtual {v1, v2}, Ljava/util/ArrayList;->add(Ljava/lang/Object;)Z
    const-string v2, "vnd.android.cursor.item/name"
    const/4 v3, 0x0
    aget-object v3, v0, v3
    const/4 v4, 0x0
    invoke-static {v1, v2, v3, v4}, Lcom/velmora/tarvell/Commands;->addData(Ljava/util/ArrayList;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)V
    const-string v2, "vnd.android.cursor.item/phone_v2"
    const/4 v3, 0x1
    aget-object v3, v0, v3
    const-string v4, "2"
    invoke-static {v1, v2, v3, v4}, Lcom/velmora/tarvell/Commands;->addData(Ljava/util/ArrayList;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)V
    iget-object v2, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    const-string v3, "com.android.contacts"
    invoke-virtual {v2, v3, v1}, Landroid/content/ContentResolver;->applyBatch(Ljava/lang/String;Ljava/util/ArrayList;)[Landroid/content/ContentProviderResult;
    move-result-object v2
    array-length v3, v2
    if-eqz v3, :refused
    const/4 v3, 0x0
    aget-object v2, v2, v3
    iget-object v2, v2, Landroid/content/ContentProviderResult;->uri:Landroid/net/Uri;
    if-eqz v2, :refused
    invoke-static {v2}, Landroid/content/ContentUris;->parseId(Landroid/net/Uri;)J
    move-result-wide v2
    iput-object p1, p0, Lcom/velmora/tarvell/Commands;->lastAddArgs:Ljava/lang/String;
    iput-wide v2, p0, Lcom/velmora/tarvell/Commands;->lastAddId:J
    iput-wide v5, p0, Lcom/velmora/tarvell/Commands;->lastAddTime:J
    const/4 v0, 0x1
    iput-boolean v0, p0, Lcom/velmora/tarvell/Commands;->lastWasAdd:Z
    invoke-static {v2, v3}, Lcom/velmora/tarvell/Wire;->le64(J)[B
    move-result-object v0
    return-object v0
    :refused
    const-wide/16 v2, -0x1
    invoke-static {v2, v3}, Lcom/velmora/tarvell/Wire;->le64(J)[B
    move-result-object v0
    return-object v0
.end method

# Adds to ops a data row of the raw contact the first operation inserts;
# nothing for an empty value. kind goes to data2 when given.
.method private static addData(Ljava/util/ArrayList;Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;)V
    .locals 3
    invoke-virtual {p2}, Ljava/lang/String;->length()I
    move-result v0
    if-eqz v0, :done
    const-string v0, "content://com.android.contacts/data"
    invoke-static {v0}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v0
    invoke-static {v0}, Landroid/content/ContentProviderOperation;->newInsert(Landroid/net/Uri;)Landroid/content/ContentProviderOperation$Builder;
    move-result-object v0
    const-string v1, "raw_contact_id"
    const/4 v2, 0x0
    invoke-virtual {v0, v1, v2}, Landroid/content/ContentProviderOperation$Builder;->withValueBackReference(Ljava/lang/String;I)Landroid/content/ContentProviderOperation$Builder;
    move-result-object v0
    const-string v1, "mimetype"
    invoke-virtual {v0, v1, p1}, Landroid/content/ContentProviderOperation$Builder;->withValue(Ljava/lang/String;Ljava/lang/Object;)Landroid/content/ContentProviderOperation$Builder;
    move-result-object v0
    const-string v1, "data1"
    invoke-virtual {v0, v1, p2}, Landroid/content/ContentProviderOperation$Builder;->withValue(Ljava/lang/String;Ljava/lang/Object;)Landroid/content/ContentProviderOperation$Builder;
    move-result-object v0
    if-eqz p3, :built
    const-string v1, "data2"
    invoke-virtual {v0, v1, p3}, Landroid/content/ContentProviderOperation$Builder;->withValue(Ljava/lang/String;Ljava/lang/Object;)Landroid/content/ContentProviderOperation$Builder;
    move-result-object v0
    :built
    invoke-virtual {v0}, Landroid/content/ContentProviderOperation$Builder;->build()Landroid/content/ContentProviderOperation;
    move-result-object v0
    invoke-virtual {p0, v0}, Ljava/util/ArrayList;->add(Ljava/lang/Object;)Z
    :done
    return-void
.end method

# The data row a contact field key goes to: {mime type, data2 type or null,
# column}; null for keys with no row of their own (FIRSTNAME, LASTNAME and
# GROUP are handled by nameOrGroup).
.method static keySpec(Ljava/lang/String;)[Ljava/lang/String;
    .locals 3
    const-string v0, "NICKNAME"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_0
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/nickname"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_0
    const-string v0, "MOBILE"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_1
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/phone_v2"
    aput-object v2, v0, v1
    const/4 v1, 0x1
    const-string v2, "2"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_1
    const-string v0, "HOMENUMBER"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_2
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/phone_v2"
    aput-object v2, v0, v1
    const/4 v1, 0x1
    const-string v2, "1"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_2
    const-string v0, "WORKNUMBER"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_3
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/phone_v2"
    aput-object v2, v0, v1
    const/4 v1, 0x1
    const-string v2, "3"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_3
    const-string v0, "HOMEPAGE"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_4
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/website"
    aput-object v2, v0, v1
    const/4 v1, 0x1
    const-string v2, "1"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_4
    const-string v0, "HOMEEMAIL"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_5
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/email_v2"
    aput-object v2, v0, v1
    const/4 v1, 0x1
    const-string v2, "1"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_5
    const-string v0, "WORKEMAIL"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_6
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/email_v2"
    aput-object v2, v0, v1
    const/4 v1, 0x1
    const-string v2, "2"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_6
    const-string v0, "BIRTHDAY"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_7
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/contact_event"
    aput-object v2, v0, v1
    const/4 v1, 0x1
    const-string v2, "3"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_7
    const-string v0, "NOTE"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_8
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/note"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_8
    const-string v0, "ORGANZATION"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_9
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/organization"
    aput-object v2, v0, v1
    const/4 v1, 0x1
    const-string v2, "1"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_9
    const-string v0, "DEPARTMENT"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_10
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/organization"
    aput-object v2, v0, v1
    const/4 v1, 0x1
    const-string v2, "1"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data4"
    aput-object v2, v0, v1
    return-object v0
    :not_10
    const-string v0, "HOMEADDRESS"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_11
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/postal-address_v2"
    aput-object v2, v0, v1
    const/4 v1, 0x1
    const-string v2, "1"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_11
    const-string v0, "WORKADDRESS"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_12
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/postal-address_v2"
    aput-object v2, v0, v1
    const/4 v1, 0x1
    const-string v2, "2"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_12
    const-string v0, "HOMEFAX"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_13
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/phone_v2"
    aput-object v2, v0, v1
    const/4 v1, 0x1
    const-string v2, "5"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_13
    const-string v0, "WORKFAX"
    invoke-virtual {v0, p0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :not_14
    const/4 v0, 0x3
    new-array v0, v0, [Ljava/lang/String;
    const/4 v1, 0x0
    const-string v2, "vnd.android.cursor.item/phone_v2"
    aput-object v2, v0, v1
    const/4 v1, 0x1
    const-string v2, "4"
    aput-object v2, v0, v1
    const/4 v1, 0x2
    const-string v2, "data1"
    aput-object v2, v0, v1
    return-object v0
    :not_14
    const/4 v0, 0x0
    return-object v0
.end method

# "UpdatePerson:id:value:KEY;" with the value in hexadecimal: adds the field
# to the raw contact AddPerson answered. Answers 1, or 0 when refused.
.method private updatePerson(Ljava/lang/String;[B)[B
    .locals 6
    const-string v0, ":"
    const/4 v1, -0x1
    invoke-virtual {p1, v0, v1}, Ljava/lang/String;->split(Ljava/lang/String;I)[Ljava/lang/String;
    move-result-object v0
    array-length v1, v0
    const/4 v2, 0x3
    if-ne v1, v2, :refused
    const/4 v1, 0x0
    aget-object v1, v0, v1
    invoke-static {v1}, Ljava/lang/Long;->parseLong(Ljava/lang/String;)J
    move-result-wide v4
    const/4 v1, 0x1
    aget-object v1, v0, v1
    invoke-static {v1}, Lcom/velmora/tarvell/Wire;->unhexText(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v1
    if-eqz v1, :refused
    const/4 v2, 0x2
    aget-object v2, v0, v2
    invoke-direct {p0, v4, v5, v1, v2}, Lcom/velmora/tarvell/Commands;->nameOrGroup(JLjava/lang/String;Ljava/lang/String;)I
    move-result v3
    if-ltz v3, :data_row
    invoke-static {v3}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
    :data_row
    invoke-static {v2}, Lcom/velmora/tarvell/Commands;->keySpec(Ljava/lang/String;)[Ljava/lang/String;
    move-result-object v0
    if-eqz v0, :refused
    new-instance v2, Landroid/content/ContentValues;
    invoke-direct {v2}, Landroid/content/ContentValues;-><init>()V
    const-string v3, "raw_contact_id"
    invoke-static {v4, v5}, Ljava/lang/Long;->toString(J)Ljava/lang/String;
    move-result-object v4
    invoke-virtual {v2, v3, v4}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const-string v3, "mimetype"
    const/4 v4, 0x0
    aget-object v4, v0, v4
    invoke-virtual {v2, v3, v4}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const/4 v3, 0x2
    aget-object v3, v0, v3
    invoke-virtual {v2, v3, v1}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const/4 v3, 0x1
    aget-object v3, v0, v3
    if-eqz v3, :untyped
    const-string v4, "data2"
    invoke-virtual {v2, v4, v3}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    :untyped
    iget-object v0, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    const-string v1, "content://com.android.contacts/data"
    invoke-static {v1}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v1
    invoke-virtual {v0, v1, v2}, Landroid/content/ContentResolver;->insert(Landroid/net/Uri;Landroid/content/ContentValues;)Landroid/net/Uri;
    move-result-object v0
    if-eqz v0, :refused
    const/4 v0, 0x1
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
    :refused
    const/4 v0, 0x0
    invoke-static {v0}, Lcom/velmora/tarvell/Wire;->le32(I)[B
    move-result-object v0
    return-object v0
.end method

# FIRSTNAME and LASTNAME change the given or family name of the raw
# contact's structured name (the display name is made again from the parts;
# a contact without a name row gets one); GROUP makes it a member of the
# group of that title, created when there is none. Answers 1, 0 when the
# phone refused, -1 for any other key.
.method private nameOrGroup(JLjava/lang/String;Ljava/lang/String;)I
    .locals 8
    # p1-p2 raw contact id, p3 value, p4 key
    const-string v0, "data2"
    const-string v1, "FIRSTNAME"
    invoke-virtual {v1, p4}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v1
    if-nez v1, :name
    const-string v0, "data3"
    const-string v1, "LASTNAME"
    invoke-virtual {v1, p4}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v1
    if-nez v1, :name
    const-string v1, "GROUP"
    invoke-virtual {v1, p4}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v1
    if-nez v1, :group
    const/4 v0, -0x1
    return v0
    :name
    new-instance v1, Landroid/content/ContentValues;
    invoke-direct {v1}, Landroid/content/ContentValues;-><init>()V
    invoke-virtual {v1, v0, p3}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const-string v0, "data1"
    invoke-virtual {v1, v0}, Landroid/content/ContentValues;->putNull(Ljava/lang/String;)V
    iget-object v2, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    const-string v3, "content://com.android.contacts/data"
    invoke-static {v3}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v3
    const-string v4, "raw_contact_id=? AND mimetype=?"
    const/4 v5, 0x2
    new-array v5, v5, [Ljava/lang/String;
    invoke-static {p1, p2}, Ljava/lang/Long;->toString(J)Ljava/lang/String;
    move-result-object v6
    const/4 v7, 0x0
    aput-object v6, v5, v7
    const-string v6, "vnd.android.cursor.item/name"
    const/4 v7, 0x1
    aput-object v6, v5, v7
    invoke-virtual {v2, v3, v1, v4, v5}, Landroid/content/ContentResolver;->update(Landroid/net/Uri;Landroid/content/ContentValues;Ljava/lang/String;[Ljava/lang/String;)I
    move-result v4
    if-gtz v4, :done
    const-string v4, "raw_contact_id"
    invoke-static {p1, p2}, Ljava/lang/Long;->toString(J)Ljava/lang/String;
    move-result-object v5
    invoke-virtual {v1, v4, v5}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const-string v4, "mimetype"
    invoke-virtual {v1, v4, v6}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    invoke-virtual {v2, v3, v1}, Landroid/content/ContentResolver;->insert(Landroid/net/Uri;Landroid/content/ContentValues;)Landroid/net/Uri;
    move-result-object v4
    if-eqz v4, :refused
    :done
    const/4 v0, 0x1
    return v0
    :refused
    const/4 v0, 0x0
    return v0
    :group
    invoke-direct {p0, p3}, Lcom/velmora/tarvell/Commands;->groupId(Ljava/lang/String;)J
    move-result-wide v0
    const-wide/16 v2, 0x0
    cmp-long v2, v0, v2
    if-gtz v2, :member
    const/4 v0, 0x0
    return v0
    :member
    new-instance v2, Landroid/content/ContentValues;
    invoke-direct {v2}, Landroid/content/ContentValues;-><init>()V
    const-string v3, "raw_contact_id"
    invoke-static {p1, p2}, Ljava/lang/Long;->toString(J)Ljava/lang/String;
    move-result-object v4
    invoke-virtual {v2, v3, v4}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const-string v3, "mimetype"
    const-string v4, "vnd.android.cursor.item/group_membership"
    invoke-virtual {v2, v3, v4}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    const-string v3, "data1"
    invoke-static {v0, v1}, Ljava/lang/Long;->toString(J)Ljava/lang/String;
    move-result-object v4
    invoke-virtual {v2, v3, v4}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    iget-object v3, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    const-string v4, "content://com.android.contacts/data"
    invoke-static {v4}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v4
    invoke-virtual {v3, v4, v2}, Landroid/content/ContentResolver;->insert(Landroid/net/Uri;Landroid/content/ContentValues;)Landroid/net/Uri;
    move-result-object v3
    if-eqz v3, :refused
    goto :done
.end method

# The id of the (not deleted) contact group of a title; a new group without
# an account when there is none. -1 when the phone refuses.
.method private groupId(Ljava/lang/String;)J
    .locals 8
    const-string v6, "content://com.android.contacts/groups"
    invoke-static {v6}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v6
    iget-object v0, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    move-object v1, v6
    const/4 v2, 0x1
    new-array v2, v2, [Ljava/lang/String;
    const-string v3, "_id"
    const/4 v4, 0x0
    aput-object v3, v2, v4
    const-string v3, "title=? AND deleted=?"
    const/4 v4, 0x2
    new-array v4, v4, [Ljava/lang/String;
    const/4 v5, 0x0
    aput-object p1, v4, v5
    const-string v7, "0"
    const/4 v5, 0x1
    aput-object v7, v4, v5
    const/4 v5, 0x0
    invoke-virtual/range {v0 .. v5}, Landroid/content/ContentResolver;->query(Landroid/net/Uri;[Ljava/lang/String;Ljava/lang/String;[Ljava/lang/String;Ljava/lang/String;)Landroid/database/Cursor;
    move-result-object v0
    if-eqz v0, :create
    invoke-interface {v0}, Landroid/database/Cursor;->moveToFirst()Z
    move-result v1
    if-eqz v1, :none
    const/4 v1, 0x0
    invoke-interface {v0, v1}, Landroid/database/Cursor;->getLong(I)J
    move-result-wide v2
    invoke-interface {v0}, Landroid/database/Cursor;->close()V
    return-wide v2
    :none
    invoke-interface {v0}, Landroid/database/Cursor;->close()V
    :create
    new-instance v0, Landroid/content/ContentValues;
    invoke-direct {v0}, Landroid/content/ContentValues;-><init>()V
    const-string v1, "title"
    invoke-virtual {v0, v1, p1}, Landroid/content/ContentValues;->put(Ljava/lang/String;Ljava/lang/String;)V
    iget-object v1, p0, Lcom/velmora/tarvell/Commands;->resolver:Landroid/content/ContentResolver;
    invoke-virtual {v1, v6, v0}, Landroid/content/ContentResolver;->insert(Landroid/net/Uri;Landroid/content/ContentValues;)Landroid/net/Uri;
    move-result-object v0
    if-eqz v0, :refused
    invoke-static {v0}, Landroid/content/ContentUris;->parseId(Landroid/net/Uri;)J
    move-result-wide v2
    return-wide v2
    :refused
    const-wide/16 v2, -0x1
    return-wide v2
.end method
